// Reading JSON values into the members of the library's input records, with
// the range and shape checks that keep a request from being sent other than
// as written.
#include "Request.h"

#include "gpenc/Inspect.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>

namespace gpenc::tool {
namespace {

// The shortest of 15 and 17 digits that reads back as `d`: 1e23 as written,
// not as 9.999999999999999e+22, its double written out.
std::string ShownNumber(double d) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", d);
    if (std::strtod(text, nullptr) != d) std::snprintf(text, sizeof text, "%.17g", d);
    return text;
}

// `v` as the request wrote it, cut short for a message.
std::string Shown(const Json& v) {
    std::string s =
        v.is_number_float() ? ShownNumber(v.get<double>()) : v.dump(-1, ' ', true, Json::error_handler_t::replace);
    return s.size() > 40 ? s.substr(0, 37) + "..." : s;
}

const char* KindOf(const Json& v) {
    switch (v.type()) {
    case Json::value_t::null: return "null";
    case Json::value_t::boolean: return "true/false";
    case Json::value_t::string: return "text";
    case Json::value_t::array: return "list";
    case Json::value_t::object: return "object";
    case Json::value_t::number_float: return "a fraction";
    default: return "a number";
    }
}

[[noreturn]] void Expected(const std::string& where, const std::string& what, const Json& v) {
    throw InputError(where + ": expected " + what + ", got " + KindOf(v) + " " + Shown(v));
}

const std::string& Text(const Json& v, const std::string& where, const char* what) {
    if (!v.is_string()) Expected(where, what, v);
    return v.get_ref<const std::string&>();
}

inspect::Bytes HexText(const Json& v, const std::string& where) {
    const auto bytes = inspect::ParseHex(Text(v, where, "hex text"));
    if (!bytes.ok()) throw InputError(where + ": " + bytes.error->Describe());
    return bytes.value;
}

// The deepest a request goes is 3 levels: the request, a list of records
// (EquipSet's "list", EquipAlarmSet's "vecAreas"), a record. Deeper input is
// no request; refused as the parser reads it, it never makes a tree that the
// passes over a request (code page, messages) would recurse through.
constexpr int kMaxDepth = 16;

// Finds where the parser stops. A number too large for a double stops it
// with no place in its message, unlike a syntax error.
class Stop : public nlohmann::json_sax<Json> {
public:
    std::size_t position = 0;  // characters read, up to the end of `token`
    std::string token;

    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t at, const std::string& last, const Json::exception&) override {
        position = at;
        token = last;
        return false;
    }
};

// "line L, column C" of the character at `offset`, both counted from 1.
std::string Place(const std::string& text, std::size_t offset) {
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        ++column;
        if (text[i] == '\n') ++line, column = 1;
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// The opening quote of the JSON text that ends just before `end`: the quote
// before it that no backslash escapes.
std::size_t OpeningQuote(const std::string& text, std::size_t end) {
    std::size_t i = end - 1;
    while (i-- > 0) {
        std::size_t slashes = 0;
        while (slashes < i && text[i - 1 - slashes] == '\\') ++slashes;
        if (text[i] == '"' && slashes % 2 == 0) return i;
    }
    return 0;
}

}  // namespace

void CheckOutput(std::ostream& out, bool flush) {
    if (flush) out.flush();
    if (out) return;
    const int error = errno;  // of the write that failed, when the stream says
    throw OutputError(std::string("cannot write to standard output") + (error ? ": " : "") +
                      (error ? std::strerror(error) : ""));
}

Json ParseRequest(const std::string& text) {
    std::istringstream in(text);
    // How far the parser has read: just past the bracket or the key it reports.
    const auto read = [&] {
        return std::min(text.size(), static_cast<std::size_t>(in.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in)));
    };
    std::vector<std::set<std::string>> keys;  // of each object open around the parser
    const Json::parser_callback_t check = [&](int depth, Json::parse_event_t event, Json& parsed) {
        switch (event) {
        case Json::parse_event_t::object_start:
        case Json::parse_event_t::array_start:
            if (depth >= kMaxDepth)
                throw InputError("nesting deeper than " + std::to_string(kMaxDepth) + " levels at " +
                                 Place(text, read() - 1));
            if (event == Json::parse_event_t::object_start) keys.emplace_back();
            break;
        case Json::parse_event_t::object_end: keys.pop_back(); break;
        case Json::parse_event_t::key:
            if (!keys.back().insert(parsed.get_ref<const std::string&>()).second)
                throw InputError("duplicate key " + Shown(parsed) + " at " + Place(text, OpeningQuote(text, read())));
            break;
        default: break;
        }
        return true;
    };
    try {
        return Json::parse(in, check);
    } catch (const Json::parse_error& e) {
        // "[json.exception.parse_error.101] parse error at line 1, ..." without its tag.
        const std::string what = e.what();
        throw InputError("malformed JSON: " + what.substr(what.find(']') + 2));
    } catch (const Json::out_of_range&) {
        Stop stop;
        Json::sax_parse(text, &stop);
        const std::size_t start = std::min(text.size(), stop.position - std::min(stop.position, stop.token.size()));
        throw InputError("number out of range at " + Place(text, start) + ": " + stop.token + " does not fit a double");
    }
}

void CheckSettingText(const std::string& value, std::uint32_t id, const std::string& where) {
    const inspect::ParamType type = inspect::LookupParameter(id).type;
    if (type != inspect::ParamType::kWord && type != inspect::ParamType::kDword && type != inspect::ParamType::kByte)
        return;
    const std::size_t sign = !value.empty() && value[0] == '-' ? 1 : 0;
    const bool number =
        value.size() > sign && std::all_of(value.begin() + static_cast<std::ptrdiff_t>(sign), value.end(),
                                           [](unsigned char c) { return std::isdigit(c); });
    if (!number) {
        char hexId[16];
        std::snprintf(hexId, sizeof hexId, "0x%04x", id);
        throw InputError(where + ": expected a decimal number for parameter " + hexId + " (" +
                         inspect::ParamTypeName(type) + "), got \"" + value + "\"");
    }
}

void Read(const Json& v, std::string& out, const std::string& where) { out = Text(v, where, "text"); }

void Read(const Json& v, std::vector<unsigned char>& out, const std::string& where) { out = HexText(v, where); }

void Read(const Json& v, unsigned char (&out)[6], const std::string& where) {
    const inspect::Bytes bytes = HexText(v, where);
    if (bytes.size() != 6)
        throw InputError(where + ": expected hex text of 6 bytes, got " + std::to_string(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), out);
}

void Read(const Json& v, double& out, const std::string& where) {
    if (!v.is_number()) Expected(where, "a number", v);
    out = v.get<double>();
}

void Read(const Json& v, bool& out, const std::string& where) {
    if (!v.is_boolean()) Expected(where, "true or false", v);
    out = v.get<bool>();
}

void Read(const Json& v, std::vector<std::string>& out, const std::string& where) {
    if (!v.is_array()) Expected(where, "a list of texts", v);
    out.clear();
    for (std::size_t i = 0; i < v.size(); ++i) out.push_back(Text(v[i], where + "[" + std::to_string(i) + "]", "text"));
}

long long ReadInteger(const Json& v, long long min, long long max, const std::string& where) {
    const std::string range = std::to_string(min) + " to " + std::to_string(max);
    const auto outOfRange = [&] { throw InputError(where + ": " + Shown(v) + " is out of range (" + range + ")"); };
    long long n = 0;
    if (v.is_number_unsigned()) {
        const auto u = v.get<unsigned long long>();
        if (u > static_cast<unsigned long long>(max)) outOfRange();
        n = static_cast<long long>(u);
    } else if (v.is_number_integer()) {
        n = v.get<long long>();
    } else if (v.is_number_float()) {
        // 1e3 and 1000.0 are whole numbers too; 1.5 is not.
        const double d = v.get<double>();
        if (d != std::trunc(d)) Expected(where, "an integer from " + range, v);
        if (d < -0x1p63 || d >= 0x1p63) outOfRange();
        n = static_cast<long long>(d);
    } else if (v.is_string()) {
        // "0x8103": ids read more easily in hex.
        const std::string& s = v.get_ref<const std::string&>();
        const bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X') &&
                         std::all_of(s.begin() + 2, s.end(), [](unsigned char c) { return std::isxdigit(c); });
        if (!hex) Expected(where, "an integer from " + range + " (or \"0x\" and hex digits)", v);
        errno = 0;
        const unsigned long long u = std::strtoull(s.c_str() + 2, nullptr, 16);
        if (errno == ERANGE || u > static_cast<unsigned long long>(max)) outOfRange();
        n = static_cast<long long>(u);
    } else {
        Expected(where, "an integer from " + range, v);
    }
    if (n < min || n > max) outOfRange();
    return n;
}

std::string TypeName(const std::string*) { return "text"; }
std::string TypeName(const std::vector<unsigned char>*) { return "hex text"; }
std::string TypeName(const unsigned char (*)[6]) { return "hex text, 6 bytes"; }
std::string TypeName(const double*) { return "number"; }
std::string TypeName(const bool*) { return "true/false"; }
std::string TypeName(const std::vector<std::string>*) { return "list of texts"; }

std::string Join(const std::string& where, const std::string& name) {
    return where.empty() ? name : where + "." + name;
}

void MissingField(const std::string& where, const std::string& name, const std::string& when) {
    throw InputError((where.empty() ? "request" : where) + ": missing field \"" + name + "\"" +
                     (when.empty() ? "" : " (read when " + when + ")"));
}

void CheckMembers(const Json& v, const std::vector<std::string>& names, const std::vector<std::string>& required,
                  const std::vector<std::string>& ignored, const std::string& where) {
    const std::string record = where.empty() ? "request" : where;
    if (!v.is_object()) Expected(record, "an object", v);
    for (const auto& name : required)
        if (!v.contains(name)) MissingField(where, name);
    for (const auto& item : v.items()) {
        const auto known = [&](const std::string& n) { return n == item.key(); };
        if (std::none_of(names.begin(), names.end(), known) && std::none_of(ignored.begin(), ignored.end(), known)) {
            std::string list;
            for (const auto& name : names) list += (list.empty() ? "" : ", ") + name;
            throw InputError(record + ": unknown field \"" + item.key() + "\" (the fields are: " + list + ")");
        }
    }
}

}  // namespace gpenc::tool
