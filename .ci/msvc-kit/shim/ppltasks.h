// Stand-in for the Concurrency Runtime's <ppltasks.h>, which Microsoft's <future> includes for
// std::async(std::launch::async) and which no Debian package ships: a task is a thread of its
// own, joined by wait(), as std::async's state needs of it (create_task, task<void>::wait).
#pragma once
#include <thread>
#include <utility>
namespace Concurrency {
template <class T>
class task;
template <>
class task<void> {
 public:
  task() = default;
  template <class F>
  explicit task(F&& f) : thread_(std::forward<F>(f)) {}
  task(task&&) noexcept = default;
  task& operator=(task&& other) noexcept {
    wait();
    thread_ = std::move(other.thread_);
    return *this;
  }
  ~task() { wait(); }
  void wait() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
  }

 private:
  std::thread thread_;
};
template <class F>
task<void> create_task(F&& f) {
  return task<void>(std::forward<F>(f));
}
}  // namespace Concurrency
namespace concurrency = Concurrency;
