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
// cannot be read (a syntax error, a number too large for a double).
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
void Read(const Json& v, std::vector<std::string>& out, const std::string& where);

// The whole number in `v` (a JSON integer, or a string "0x..." of hex digits)
// if it lies in [min, max]; otherwise InputError.
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

// What a field holds, for the field lists of the help ("text", "0 to 255").
std::string TypeName(const std::string*);
std::string TypeName(const std::vector<unsigned char>*);
std::string TypeName(const unsigned char (*)[6]);
std::string TypeName(const double*);
std::string TypeName(const std::vector<std::string>*);
template <class T>
std::enable_if_t<std::is_integral_v<T> || std::is_enum_v<T>, std::string> TypeName(const T*) {
    using N = std::conditional_t<std::is_enum_v<T>, std::underlying_type<T>, std::common_type<T>>;
    using Limits = std::numeric_limits<typename N::type>;
    return "integer " + std::to_string(+Limits::min()) + " to " + std::to_string(+Limits::max());
}
template <std::size_t N>
std::string TypeName(const std::array<std::string, N>*) {
    return "list of " + std::to_string(N) + " texts";
}

// --------------------------------------------------------------- records

// One member of record type R as the request names it.
template <class R>
struct FieldBinding {
    const char* name;
    std::string type;
    std::function<void(const Json&, R&, const std::string&)> read;
};

template <class R>
using Fields = std::vector<FieldBinding<R>>;

// InputError unless `v` is an object with every one of `names` and no other
// member but those in `ignored`. `where` is the record's path ("" at the top
// of the request).
void CheckMembers(const Json& v, const std::vector<std::string>& names, const std::vector<std::string>& ignored,
                  const std::string& where);
// The path of member `name` of the record at `where`.
std::string Join(const std::string& where, const std::string& name);

// Reads every bound field of `v` into `record`: all must be present.
template <class R>
void ReadRecord(const Json& v, const Fields<R>& fields, R& record, const std::string& where,
                const std::vector<std::string>& ignored = {}) {
    std::vector<std::string> names;
    for (const auto& f : fields) names.emplace_back(f.name);
    CheckMembers(v, names, ignored, where);
    for (const auto& f : fields) f.read(v.at(f.name), record, Join(where, f.name));
}

// The fields of a record that appears inside another one (an area of an
// alarm setting, the IC-card data): specialised beside the builder table with
// a static `fields()`. Only such records can be read as members or lists.
template <class R>
struct NestedRecord;

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

// Binds `member` under `name`; declared after every Read and TypeName, which
// it finds by ordinary lookup.
template <class R, class T>
FieldBinding<R> Bind(const char* name, T R::*member) {
    return {name, TypeName(static_cast<const T*>(nullptr)),
            [member](const Json& v, R& r, const std::string& where) { Read(v, r.*member, where); }};
}

// -------------------------------------------------------------- builders

struct FieldInfo {
    std::string name;
    std::string type;
};

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
