// Why the last public call of this thread failed (gpenc::LastFailure): the
// scope each public operation opens, and the reasons its steps give.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gpenc::detail {

// The scope of one public operation. The outermost of a thread, or the first
// opened inside a log record (an appender that encodes), owns the reason: its
// Result sets the thread's last failure from the reason its steps gave, or
// clears it on success. Public operations called by the library's own steps
// give their reasons to the call that owns them.
class PublicCall {
public:
    explicit PublicCall(const char* name);
    PublicCall(const PublicCall&) = delete;
    PublicCall& operator=(const PublicCall&) = delete;
    ~PublicCall();

    bool Result(bool ok) const;

private:
    const char* name_;
    bool owner_;
    // The frame of the call this one interrupted, restored at its end.
    std::string savedReason_;
    int savedDepth_ = 0;
    int savedLevel_ = 0;
    bool savedHas_ = false;
};

// Gives the reason of the current call: `field`, a path into the caller's
// input (`list[2].strValue`), and `rule`, what it broke and the value it had.
// The first reason of a call stands: the innermost step that refused speaks.
// Without a public call open it does nothing.
void Refuse(std::string_view field, std::string_view rule);

// A framework exception caught by `step` with `message` failed the call.
void Faulted(std::string_view step, std::string_view message);

// Whether the current call has a reason; a step that drops a refused part and
// goes on takes the part's reason back with Forget.
bool HasReason();
void Forget();

// A caller's text for a reason: quoted, cut to 40 characters (UTF-8 aware).
std::string Quote(std::string_view text);

// "must be a to b, got v" and the like.
std::string Range(long long low, long long high, long long value);

}  // namespace gpenc::detail
