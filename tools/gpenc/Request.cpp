// Reading JSON values into the members of the library's input records, with
// the range and shape checks that keep a request from being sent other than
// as written.
#include "Request.h"

#include "gpenc/Inspect.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace gpenc::tool {
namespace {

// `v` as the request wrote it, cut short for a message.
std::string Shown(const Json& v) {
    std::string s = v.dump(-1, ' ', true, Json::error_handler_t::replace);
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

}  // namespace

void CheckOutput(std::ostream& out, bool flush) {
    if (flush) out.flush();
    if (out) return;
    const int error = errno;  // of the write that failed, when the stream says
    throw OutputError(std::string("cannot write to standard output") + (error ? ": " : "") +
                      (error ? std::strerror(error) : ""));
}

Json ParseRequest(const std::string& text) {
    try {
        return Json::parse(text);
    } catch (const Json::parse_error& e) {
        // "[json.exception.parse_error.101] parse error at line 1, ..." without its tag.
        const std::string what = e.what();
        throw InputError("malformed JSON: " + what.substr(what.find(']') + 2));
    } catch (const Json::out_of_range&) {
        Stop stop;
        Json::sax_parse(text, &stop);
        const std::size_t start = std::min(text.size(), stop.position - std::min(stop.position, stop.token.size()));
        std::size_t line = 1, column = 1;
        for (std::size_t i = 0; i < start; ++i) {
            ++column;
            if (text[i] == '\n') ++line, column = 1;
        }
        throw InputError("number out of range at line " + std::to_string(line) + ", column " + std::to_string(column) +
                         ": " + stop.token + " does not fit a double");
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

void Read(const Json& v, std::vector<std::string>& out, const std::string& where) {
    if (!v.is_array()) Expected(where, "a list of texts", v);
    out.clear();
    for (std::size_t i = 0; i < v.size(); ++i) out.push_back(Text(v[i], where + "[" + std::to_string(i) + "]", "text"));
}

long long ReadInteger(const Json& v, long long min, long long max, const std::string& where) {
    const std::string range = "an integer from " + std::to_string(min) + " to " + std::to_string(max);
    long long n = 0;
    if (v.is_number_unsigned()) {
        const auto u = v.get<unsigned long long>();
        if (u > static_cast<unsigned long long>(max)) Expected(where, range, v);
        n = static_cast<long long>(u);
    } else if (v.is_number_integer()) {
        n = v.get<long long>();
    } else if (v.is_string()) {
        // "0x8103": ids read more easily in hex.
        const std::string& s = v.get_ref<const std::string&>();
        const bool hex = s.size() > 2 && s.size() <= 18 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X') &&
                         std::all_of(s.begin() + 2, s.end(), [](unsigned char c) { return std::isxdigit(c); });
        if (!hex) Expected(where, range + " (or \"0x\" and hex digits)", v);
        errno = 0;
        const unsigned long long u = std::strtoull(s.c_str() + 2, nullptr, 16);
        if (errno == ERANGE || u > static_cast<unsigned long long>(max)) Expected(where, range, v);
        n = static_cast<long long>(u);
    } else {
        Expected(where, range, v);
    }
    if (n < min || n > max) Expected(where, range, v);
    return n;
}

std::string TypeName(const std::string*) { return "text"; }
std::string TypeName(const std::vector<unsigned char>*) { return "hex text"; }
std::string TypeName(const unsigned char (*)[6]) { return "hex text of 6 bytes"; }
std::string TypeName(const double*) { return "number"; }
std::string TypeName(const std::vector<std::string>*) { return "list of texts"; }

std::string Join(const std::string& where, const std::string& name) {
    return where.empty() ? name : where + "." + name;
}

void CheckMembers(const Json& v, const std::vector<std::string>& names, const std::vector<std::string>& ignored,
                  const std::string& where) {
    const std::string record = where.empty() ? "request" : where;
    if (!v.is_object()) Expected(record, "an object", v);
    for (const auto& name : names)
        if (!v.contains(name)) throw InputError(record + ": missing field \"" + name + "\"");
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
