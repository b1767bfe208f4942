// Why the last public call of this thread failed (gpenc::LastFailure): the
// scope each public operation opens, and the reasons its steps give.
#pragma once

#include "core/Log.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace gpenc::detail {

class Renamed;

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
    LevelScope levels_;  // the call's level tests, answered once
    const char* name_;
    bool owner_;
    // The frame of the call this one interrupted, restored at its end.
    std::string savedReason_;
    int savedDepth_ = 0;
    int savedLevel_ = 0;
    bool savedHas_ = false;
    const Renamed* savedRenames_ = nullptr;
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

// The path `record`[`index`].`field`: no index when it is negative, no field
// when it is empty ("list[2].strValue", "interval.int1", "list[0]", "type").
std::string Path(std::string_view record, int index, std::string_view field);

// While it lives, a reason given for `from` or a field inside it names `to` in
// its place: a step that hands the caller's input to another operation of the
// library ("card" of ParmSet_ICInfoSetStandard) says where that input came
// from ("setIC.stSetIC"), so "card.tmCardDate" reads "setIC.stSetIC.tmCardDate".
// Scopes nest; the innermost renames first. A public call that owns its
// reason starts without the scopes of the call it interrupted.
class Renamed {
public:
    Renamed(const char* from, const char* to);
    Renamed(const Renamed&) = delete;
    Renamed& operator=(const Renamed&) = delete;
    ~Renamed();

private:
    friend void Refuse(std::string_view field, std::string_view rule);
    const char* from_;
    const char* to_;
    const Renamed* outer_;
};

// The check of a caller's record or arguments, one condition after another:
// the first that fails gives the call's reason, the field named as a path from
// `record` (Path), and the later ones are not looked at. Converts to whether
// every condition held. Nothing is composed while they hold.
//
//     return Check("interval").NotEmpty(r.text0, "text0").NotZero(r.int1, "int1");
class Check {
public:
    explicit Check(const char* record = "", int index = -1) : record_(record), index_(index) {}
    operator bool() const { return ok_; }

    // The record itself, named without a field.
    Check& NotNull(const void* record) { return That(record != nullptr, "", "must not be null"); }
    template <class Container>
    Check& NotEmpty(const Container& value, const char* field) {
        return That(!value.empty(), field, "must not be empty");
    }
    Check& NotZero(long long value, const char* field) { return That(value != 0, field, "must not be 0"); }
    Check& Within(long long low, long long high, long long value, const char* field) {
        return That(low <= value && value <= high, field, [&] { return Range(low, high, value); });
    }
    Check& That(bool holds, const char* field, std::string_view rule) {
        if (ok_ && !holds) Fail(field, rule);
        return *this;
    }
    // `rule()` composes a rule that shows the value, only when `holds` is false.
    template <class Rule, class = std::enable_if_t<std::is_invocable_v<Rule&>>>
    Check& That(bool holds, const char* field, Rule&& rule) {
        if (ok_ && !holds) Fail(field, rule());
        return *this;
    }

private:
    void Fail(const char* field, std::string_view rule);
    const char* record_;
    int index_;
    bool ok_ = true;
};

}  // namespace gpenc::detail
