// JSON requests of `gpenc encode`: reading a JSON object into one of the
// library's input records through a table of field bindings, and the table of
// builders that names each record's fields.
#pragma once

#include "gpenc/Encoder.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <ostream>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

namespace gpenc::tool {

using Json = nlohmann::json;

// Input the tool refuses (exit code 2). The message is one line that names
// the field or the place at fault.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The JSON document `text`; InputError naming the line and column of what
// cannot be read (a syntax error, a number too large for a double) or is no
// request (nesting deeper than 16 levels, a key twice in one object).
Json ParseRequest(const std::string& text);

// Output that could not be written (exit code 2 as well).
class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// OutputError, with the reason, once `out` has failed; after a flush when `flush`.
void CheckOutput(std::ostream& out, bool flush = false);

// ---------------------------------------------------------------- values
// Each Read fills `out` from `v` or throws InputError naming `where`, the
// field's path in the request ("vecAreas[1].dwRadius").

// A JSON string, sent as its UTF-8 bytes.
void Read(const Json& v, std::string& out, const std::string& where);
// Hex text ("0a1b", blanks between bytes allowed), any number of bytes.
void Read(const Json& v, std::vector<unsigned char>& out, const std::string& where);
// Hex text of exactly six bytes.
void Read(const Json& v, unsigned char (&out)[6], const std::string& where);
// Any JSON number.
void Read(const Json& v, double& out, const std::string& where);
// JSON true or false.
void Read(const Json& v, bool& out, const std::string& where);
void Read(const Json& v, std::vector<std::string>& out, const std::string& where);

// The whole number in `v` (a JSON number without a fraction, or a string
// "0x..." of hex digits) if it lies in [min, max]; otherwise InputError, which
// says "out of range" for a whole number outside them.
long long ReadInteger(const Json& v, long long min, long long max, const std::string& where);

template <class T>
std::enable_if_t<std::is_integral_v<T> || std::is_enum_v<T>> Read(const Json& v, T& out, const std::string& where) {
    using N = std::conditional_t<std::is_enum_v<T>, std::underlying_type<T>, std::common_type<T>>;
    using Limits = std::numeric_limits<typename N::type>;
    out = static_cast<T>(
        ReadInteger(v, static_cast<long long>(Limits::min()), static_cast<long long>(Limits::max()), where));
}

template <std::size_t N>
void Read(const Json& v, std::array<std::string, N>& out, const std::string& where) {
    std::vector<std::string> items;
    Read(v, items, where);
    if (items.size() != N)
        throw InputError(where + ": expected a list of " + std::to_string(N) + " texts, got " +
                         std::to_string(items.size()));
    for (std::size_t i = 0; i < N; ++i) out[i] = std::move(items[i]);
}

// InputError unless `value`, the text of terminal parameter `id`, is a whole
// decimal number wherever the parameter is numeric: the library reads such a
// text as atoi does, and would send "abc" as 0.
void CheckSettingText(const std::string& value, std::uint32_t id, const std::string& where);

// What a field holds and its range, for `gpenc builders` ("text", "BYTE 0..255").
std::string TypeName(const std::string*);
std::string TypeName(const std::vector<unsigned char>*);
std::string TypeName(const unsigned char (*)[6]);
std::string TypeName(const double*);
std::string TypeName(const bool*);
std::string TypeName(const std::vector<std::string>*);
template <class T>
std::enable_if_t<std::is_integral_v<T> || std::is_enum_v<T>, std::string> TypeName(const T*) {
    using N = typename std::conditional_t<std::is_enum_v<T>, std::underlying_type<T>, std::common_type<T>>::type;
    using Limits = std::numeric_limits<N>;
    if constexpr (sizeof(N) == 8) return "int64 -2^63..2^63-1";
    const char* kind = std::is_signed_v<N> ? "int" : sizeof(N) == 1 ? "BYTE" : sizeof(N) == 2 ? "WORD" : "DWORD";
    return kind + (" " + std::to_string(+Limits::min())) + ".." + std::to_string(+Limits::max());
}
template <std::size_t N>
std::string TypeName(const std::array<std::string, N>*) {
    return "list of " + std::to_string(N) + " texts";
}

// --------------------------------------------------------------- records

// One line of `gpenc builders`: a field's path in the request
// ("vecAreas[].dwRadius"), what it holds and what it means.
struct FieldInfo {
    std::string name, type, meaning;
};

// One member of record type R as the request names it.
template <class R>
struct FieldBinding {
    const char* name;
    std::string type, meaning;
    std::vector<FieldInfo> inner;  // the fields of the record or records it holds, named from it (".x", "[].x")
    std::function<void(const Json&, R&, const std::string&)> read;
    // For a field the builder reads only in some records (the extension texts
    // of a card): when it does, said and tested on the record as read without
    // it. Such a field may be left out when the builder does not read it.
    std::string when;
    std::function<bool(const R&)> needed;

    FieldBinding When(std::string condition, std::function<bool(const R&)> holds) && {
        when = std::move(condition);
        needed = std::move(holds);
        return std::move(*this);
    }
};

template <class R>
using Fields = std::vector<FieldBinding<R>>;

// InputError unless `v` is an object with every one of `required` and no
// other member but those in `names` and `ignored`. `where` is the record's
// path ("" at the top of the request).
void CheckMembers(const Json& v, const std::vector<std::string>& names, const std::vector<std::string>& required,
                  const std::vector<std::string>& ignored, const std::string& where);
// InputError: the record at `where` lacks field `name`, which it needs `when`.
[[noreturn]] void MissingField(const std::string& where, const std::string& name, const std::string& when = "");
// The path of member `name` of the record at `where`.
std::string Join(const std::string& where, const std::string& name);

// Reads every bound field of `v` into `record`: all must be present but those
// the builder does not read for this record.
template <class R>
void ReadRecord(const Json& v, const Fields<R>& fields, R& record, const std::string& where,
                const std::vector<std::string>& ignored = {}) {
    std::vector<std::string> names, required;
    for (const auto& f : fields) {
        names.emplace_back(f.name);
        if (!f.needed) required.emplace_back(f.name);
    }
    CheckMembers(v, names, required, ignored, where);
    for (const auto& f : fields)
        if (v.contains(f.name)) f.read(v.at(f.name), record, Join(where, f.name));
    for (const auto& f : fields)
        if (!v.contains(f.name) && f.needed(record)) MissingField(where, f.name, f.when);
}

// The lines of `gpenc builders` for `fields`, each field followed by those
// inside it; `prefix` goes before every path.
template <class R>
std::vector<FieldInfo> Describe(const Fields<R>& fields, const std::string& prefix = "") {
    std::vector<FieldInfo> lines;
    for (const auto& f : fields) {
        lines.push_back({prefix + f.name, f.type, f.meaning + (f.when.empty() ? "" : "; read when " + f.when)});
        for (const auto& i : f.inner) lines.push_back({prefix + f.name + i.name, i.type, i.meaning});
    }
    return lines;
}

// The fields of a record that appears inside another one (an area of an
// alarm setting, the IC-card data): specialised beside the builder table with
// a static `fields()`. Only such records can be read as members or lists.
template <class R>
struct NestedRecord;

template <class R, class = void>
struct IsNested : std::false_type {};
template <class R>
struct IsNested<R, std::void_t<decltype(NestedRecord<R>::fields())>> : std::true_type {};

template <class R>
auto Read(const Json& v, R& out, const std::string& where) -> decltype(NestedRecord<R>::fields(), void()) {
    ReadRecord(v, NestedRecord<R>::fields(), out, where);
}

template <class R>
auto Read(const Json& v, std::vector<R>& out, const std::string& where) -> decltype(NestedRecord<R>::fields(), void()) {
    if (!v.is_array()) throw InputError(where + ": expected a list of records");
    out.assign(v.size(), R{});
    for (std::size_t i = 0; i < v.size(); ++i) Read(v[i], out[i], where + "[" + std::to_string(i) + "]");
}

template <class R>
auto TypeName(const R*) -> decltype(NestedRecord<R>::fields(), std::string()) {
    return "record";
}
template <class R>
auto TypeName(const std::vector<R>*) -> decltype(NestedRecord<R>::fields(), std::string()) {
    return "list of records";
}

// Binds `member` under `name`, with its meaning; declared after every Read and
// TypeName, which it finds by ordinary lookup.
template <class R, class T>
FieldBinding<R> Bind(const char* name, T R::*member, std::string meaning) {
    std::vector<FieldInfo> inner;
    if constexpr (IsNested<T>::value) {
        inner = Describe(NestedRecord<T>::fields(), ".");
    } else if constexpr (std::is_class_v<T>) {
        if constexpr (IsNested<typename T::value_type>::value)  // a list of records
            inner = Describe(NestedRecord<typename T::value_type>::fields(), "[].");
    }
    return {name,
            TypeName(static_cast<const T*>(nullptr)),
            std::move(meaning),
            std::move(inner),
            [member](const Json& v, R& r, const std::string& where) { Read(v, r.*member, where); },
            {},
            {}};
}

// -------------------------------------------------------------- builders

// One builder in one form.
struct Builder {
    std::string name;  // the CEncoder member, as the request's "builder" names it
    // For a builder with two forms: the field whose presence picks this form
    // ("text" for Subscription's first form); empty for the other form.
    std::string marker;
    std::vector<FieldInfo> fields;
    // Reads the request (InputError when it does not fit) and runs the builder
    // on a fresh CEncoder; the builder's result.
    std::function<bool(const Json& request, std::vector<unsigned char>& out)> encode;
};

const std::vector<Builder>& Builders();

// The builder form that `request` names. InputError for a request that is not
// an object, has no "builder" text, or names no builder.
const Builder& FindBuilder(const Json& request);

}  // namespace gpenc::tool
