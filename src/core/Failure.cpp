// The per-thread last failure of Failure.h and gpenc::LastFailure.
#include "core/Failure.h"

#include "core/Log.h"
#include "gpenc/Encoder.h"

#include <algorithm>
#include <utility>

namespace gpenc::detail {
namespace {

// The public call that owns the reason, and how deep its calls go. Trivial
// and read by every public call, as ThreadState is; the texts are apart, and
// touched only when there is a reason or a last failure to keep.
struct Frame {
    int depth = 0;
    int recordLevel = 0;               // records open on the thread when the owner began
    bool has = false;                  // t_reason holds the owner's reason (else it is stale)
    bool last = false;                 // t_last holds a failure
    const Renamed* renames = nullptr;  // the innermost scope of the owner's calls
};

GPENC_THREAD_LOCAL Frame t_frame;
thread_local std::string t_reason;
// D30: a stored last-failure value, for people to read (docs/compat.md).
thread_local std::string t_last;

}  // namespace

PublicCall::PublicCall(const char* name)
    : name_(name), owner_(t_frame.depth == 0 || RecordLevel() > t_frame.recordLevel) {
    if (owner_) {
        // An owner inside another call (an appender that encodes) keeps that
        // call's frame to restore; the outermost has none to keep.
        if (t_frame.has) savedReason_ = std::move(t_reason);
        savedDepth_ = t_frame.depth;
        savedLevel_ = t_frame.recordLevel;
        savedHas_ = t_frame.has;
        savedRenames_ = t_frame.renames;
        t_frame.depth = 0;
        t_frame.recordLevel = RecordLevel();
        t_frame.has = false;
        t_frame.renames = nullptr;
    }
    ++t_frame.depth;
}

PublicCall::~PublicCall() {
    --t_frame.depth;
    if (owner_) {
        t_frame.depth = savedDepth_;
        t_frame.recordLevel = savedLevel_;
        t_frame.renames = savedRenames_;
        if (savedHas_) t_reason = std::move(savedReason_);
        t_frame.has = savedHas_;
    }
}

bool PublicCall::Result(bool ok) const {
    if (!owner_) return ok;
    if (ok) {
        if (t_frame.last) t_last.clear();
        t_frame.last = false;
    } else {
        t_last = name_;
        t_last += ": ";
        t_last += t_frame.has ? t_reason : std::string("refused");
        t_frame.last = true;
    }
    return ok;
}

void Refuse(std::string_view field, std::string_view rule) {
    if (t_frame.depth == 0 || t_frame.has) return;
    t_frame.has = true;
    t_reason.assign(field);
    for (const Renamed* r = t_frame.renames; r != nullptr; r = r->outer_) {
        const std::string_view from = r->from_;
        const std::string_view path = t_reason;
        // The field itself, or one inside it: "card" renames "card.x" and "card[0]", not "cards".
        if (path.substr(0, from.size()) == from &&
            (path.size() == from.size() || path[from.size()] == '.' || path[from.size()] == '['))
            t_reason.replace(0, from.size(), r->to_);
    }
    t_reason += ": ";
    t_reason += rule;
}

void Faulted(std::string_view step, std::string_view message) {
    if (t_frame.depth == 0 || t_frame.has) return;
    t_frame.has = true;
    t_reason = "a framework exception caught in ";
    t_reason += step;
    t_reason += ": ";
    t_reason += message;
}

bool HasReason() { return t_frame.has; }

void Forget() {
    t_frame.has = false;
    t_reason.clear();
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

Renamed::Renamed(const char* from, const char* to) : from_(from), to_(to), outer_(t_frame.renames) {
    t_frame.renames = this;
}

Renamed::~Renamed() { t_frame.renames = outer_; }

void Check::Fail(const char* field, std::string_view rule) {
    ok_ = false;
    Refuse(Path(record_, index_, field), rule);
}

}  // namespace gpenc::detail

std::string gpenc::LastFailure() { return gpenc::detail::t_last; }
