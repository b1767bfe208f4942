// The failure layer, above logging (Log.h): the one entry point of every
// public member, the guarded region that turns a caught framework exception
// into a failure, and the reason a call states for gpenc::LastFailure.
#pragma once

#include "core/Call.h"
#include "core/Log.h"

#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace gpenc::detail {

// Closes the call that `call` opened, `ok` its result: the last failure of
// the thread is set from its reason, or cleared.
void Close(const Call& call, bool ok);

// The entry point of a public member named `name` (or of an operation's
// `op`): runs `body` in a call record of its own, which asks the levels once
// for every record the call writes and closes with the thread's last failure.
// Inside another call (a public member the library's own steps call), `body`
// runs in that call's record and its reason is that call's. A constructor or
// destructor passes a null name: its records are answered once, and the last
// failure stays as it was. An exception other than the framework's leaves
// the record closed and the last failure as it was.
template <class Body>
bool Public(const char* name, Body&& body) {
    Call call(name);
    struct Opened {
        const bool owner = t_call == 0;
        explicit Opened(Call& c) {
            if (!owner) return;
            // A logger enabled for DEBUG is enabled for ERROR: one test when it is off.
            if (Enabled(kError)) c.answers = Enabled(kDebug) ? Call::kErrorOn | Call::kDebugOn : Call::kErrorOn;
            t_call = reinterpret_cast<std::uintptr_t>(&c) | c.answers;
        }
        ~Opened() {
            if (owner) t_call = 0;
        }
    } opened(call);
    // The body is compiled in once, whether the call opens its record or not.
    const bool ok = std::forward<Body>(body)();
    if (opened.owner && name != nullptr) Close(call, ok);
    return ok;
}

template <class Body>
bool Public(const Op& op, Body&& body) {
    return Public(op.name, std::forward<Body>(body));
}

// States the reason of the open call: `field`, a path into the caller's
// input (`list[2].strValue`), and `rule`, what it broke with the value it
// had ("must be 1 to 7, got 9"). The first reason of a call stands: the
// innermost step that refused speaks. Without a call open it does nothing.
void Refuse(std::string_view field, std::string_view rule);

// A framework exception caught by `step` with `message`: the reason of the
// open call, stated as any other ("a framework exception caught in step:
// message").
void Fault(std::string_view step, std::string_view message);

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
// Scopes nest; the innermost renames first. They are the open call's: a call
// opened inside a record (an appender's) starts without them.
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

// The thread's last failure, for gpenc::LastFailure.
std::string LastFailureText();

}  // namespace gpenc::detail
