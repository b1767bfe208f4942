// The failure layer of Failure.h: the reasons of the open call and the
// thread's last failure.
#include "core/Failure.h"

#include "core/Log.h"

#include <algorithm>
#include <utility>

namespace gpenc::detail {
namespace {

// D30: a stored last-failure value, for people to read (docs/compat.md).
// The thread's own text, made at its first failure and given back when the
// thread ends; reached through a plain pointer, so that a call that closes
// without a failure (nearly every one) reads one trivial thread-local.
GPENC_THREAD_LOCAL std::string* t_last;

std::string& LastText() {
    thread_local struct Text {
        std::string text;
        ~Text() { t_last = nullptr; }
    } last;
    return last.text;
}

}  // namespace

void Close(const Call& call, bool ok) {
    if (ok) {
        if (t_last != nullptr) t_last->clear();
        return;
    }
    if (t_last == nullptr) t_last = &LastText();
    std::string& last = *t_last;
    last = call.name;
    last += ": ";
    last += call.refused ? std::string_view(call.reason) : std::string_view("refused");
}

std::string LastFailureText() { return t_last != nullptr ? *t_last : std::string(); }

void Refuse(std::string_view field, std::string_view rule) {
    Call* call = OpenCall();
    if (call == nullptr || call->refused) return;
    call->refused = true;
    std::string& reason = call->reason;
    reason.assign(field);
    for (const Renamed* r = call->renames; r != nullptr; r = r->outer_) {
        const std::string_view from = r->from_;
        const std::string_view path = reason;
        // The field itself, or one inside it: "card" renames "card.x" and "card[0]", not "cards".
        if (path.substr(0, from.size()) == from &&
            (path.size() == from.size() || path[from.size()] == '.' || path[from.size()] == '['))
            reason.replace(0, from.size(), r->to_);
    }
    reason += ": ";
    reason += rule;
}

void Fault(std::string_view step, std::string_view message) {
    Refuse(std::string("a framework exception caught in ").append(step), message);
}

std::string Quote(std::string_view caller) {
    // The caller's text is in the host's code page (its ANSI code page on
    // Windows), converted piece by piece between zero bytes, which show as
    // "\0": a text refused for one must not be quoted as ending there.
    std::string utf8;
    for (std::size_t at = 0;;) {
        const std::size_t zero = (std::min)(caller.find('\0', at), caller.size());
        utf8 += CallerText(std::string(caller.substr(at, zero - at)).c_str());
        if (zero == caller.size()) break;
        utf8 += "\\0";
        at = zero + 1;
    }
    const std::string_view text = utf8;
    constexpr int kMax = 40;  // characters, not bytes: a cut never splits one
    std::size_t end = 0;
    int chars = 0;
    while (end < text.size() && chars < kMax) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
        ++chars;
    }
    std::string quoted = "\"";
    quoted.append(text.substr(0, end));
    quoted += end < text.size() ? "\"..." : "\"";
    return quoted;
}

std::string Range(long long low, long long high, long long value) {
    return "must be " + std::to_string(low) + " to " + std::to_string(high) + ", got " + std::to_string(value);
}

std::string Path(std::string_view record, int index, std::string_view field) {
    std::string path(record);
    if (index >= 0) path += "[" + std::to_string(index) + "]";
    if (!field.empty() && !path.empty() && field.front() != '[') path += '.';
    path += field;
    return path;
}

Renamed::Renamed(const char* from, const char* to) : from_(from), to_(to), outer_(nullptr) {
    if (Call* call = OpenCall()) {
        outer_ = call->renames;
        call->renames = this;
    }
}

Renamed::~Renamed() {
    if (Call* call = OpenCall()) call->renames = outer_;
}

void Check::Fail(const char* field, std::string_view rule) {
    ok_ = false;
    Refuse(Path(record_, index_, field), rule);
}

}  // namespace gpenc::detail
