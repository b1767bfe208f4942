// Decoding of the texts a command-0x33 frame carries instead of 808 bytes: the
// circular-area setting text and the argument texts of the simple requests.
#include "Layout.h"
#include "Reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <locale>
#include <sstream>

namespace gpenc::inspect {
namespace {

constexpr const char* kBadText = "bad setting text";
constexpr const char* kBadArgument = "bad request argument";

using Item = Field<std::string_view>;

// The items of `text` between `sep` characters, with their offsets.
std::vector<Item> Split(std::string_view text, std::size_t origin, char sep) {
    std::vector<Item> items;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(text.find(sep, start), text.size());
        items.push_back({origin + start, end - start, text.substr(start, end - start)});
        if (end == text.size()) return items;
        start = end + 1;
    }
}

bool AllDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string Quoted(std::string_view s) { return "\"" + Printable(s) + "\""; }

// Reads the items of one text in order; the first problem sticks.
class ItemReader {
public:
    ItemReader(std::vector<Item> items, std::size_t end, const char* what)
        : items_(std::move(items)), end_(end), what_(what) {}

    bool More() const { return next_ < items_.size(); }
    const std::optional<Problem>& Error() const { return error_; }
    void Fail(std::size_t offset, std::string detail) {
        if (!error_) error_ = Problem{offset, what_, std::move(detail)};
    }

    // The next item, or nullptr (and an error naming `name`) at the end.
    const Item* Next(const std::string& name) {
        if (error_) return nullptr;
        if (More()) return &items_[next_++];
        Fail(end_, "the text ends where " + name + " should follow");
        return nullptr;
    }

    template <class T>
    bool Unsigned(Field<T>& out, const std::string& name, std::uint64_t max) {
        const Item* item = Next(name);
        if (!item) return false;
        std::uint64_t v = 0;
        const auto [p, ec] = std::from_chars(item->value.data(), item->value.data() + item->size, v);
        if (!AllDigits(item->value) || ec != std::errc() || v > max) {
            Fail(item->offset, Format("expected %s as an unsigned decimal up to %llu, found %s", name.c_str(),
                                      static_cast<unsigned long long>(max), Quoted(item->value).c_str()));
            return false;
        }
        out = {item->offset, item->size, static_cast<T>(v)};
        return true;
    }

    bool Signed(Field<std::string>& out, const std::string& name) {
        const Item* item = Next(name);
        if (!item) return false;
        std::int32_t v = 0;
        const auto [p, ec] = std::from_chars(item->value.data(), item->value.data() + item->size, v);
        if (item->value.empty() || ec != std::errc() || p != item->value.data() + item->size) {
            Fail(item->offset,
                 Format("expected %s as a 32-bit decimal, found %s", name.c_str(), Quoted(item->value).c_str()));
            return false;
        }
        out = {item->offset, item->size, std::string(item->value)};
        return true;
    }

    // A number as "%f" prints it: optional minus, digits, point, six digits.
    bool Decimal(Field<double>& out, const std::string& name) {
        const Item* item = Next(name);
        if (!item) return false;
        const std::string_view s = item->value;
        const std::size_t point = s.find('.');
        const std::size_t sign = !s.empty() && s[0] == '-';
        bool shaped = point != std::string_view::npos && AllDigits(s.substr(sign, point - sign)) &&
                      s.size() - point - 1 == 6 && AllDigits(s.substr(point + 1));
        // Read in the classic locale, whatever the caller's: correctly rounded,
        // and out of range (too large for a double) as a failure. Not
        // std::from_chars: not every standard library has it for double.
        double v = 0;
        if (shaped) {
            std::istringstream digits{std::string(s)};
            digits.imbue(std::locale::classic());
            shaped = static_cast<bool>(digits >> v);
        }
        if (!shaped || !std::isfinite(v)) {
            Fail(item->offset,
                 Format("expected %s as a decimal with six places, found %s", name.c_str(), Quoted(s).c_str()));
            return false;
        }
        out = {item->offset, item->size, v};
        return true;
    }

    // Six bytes as "%02x-" five times and "%02x" (BCD date and time).
    bool Time(std::optional<Field<BcdTime>>& out, const std::string& name, std::vector<Problem>& warnings) {
        const Item* item = Next(name);
        if (!item) return false;
        BcdTime t;
        const std::string_view s = item->value;
        bool shaped = s.size() == 17;
        for (std::size_t i = 0; shaped && i < 6; ++i) {
            const std::size_t at = i * 3;
            shaped = (i == 5 || s[at + 2] == '-') &&
                     std::from_chars(s.data() + at, s.data() + at + 2, t.bcd[i], 16).ptr == s.data() + at + 2;
        }
        if (!shaped) {
            Fail(item->offset,
                 Format("expected %s as six hex pairs joined by \"-\", found %s", name.c_str(), Quoted(s).c_str()));
            return false;
        }
        for (std::size_t i = 0; i < 6; ++i)
            if ((t.bcd[i] >> 4) > 9 || (t.bcd[i] & 0x0f) > 9) {
                warnings.push_back({item->offset + 3 * i, "time not BCD",
                                    Format("%s: expected two decimal digits, found %02x", name.c_str(), t.bcd[i])});
                break;
            }
        out = Field<BcdTime>{item->offset, item->size, t};
        return true;
    }

    const Item* Peek() const { return More() ? &items_[next_] : nullptr; }

private:
    std::vector<Item> items_;
    std::size_t next_ = 0;
    std::size_t end_;
    const char* what_;
    std::optional<Problem> error_;
};

bool DecodeArea(ItemReader& in, std::size_t n, CircularArea& a, std::vector<Problem>& warnings) {
    const std::string area = Format("area %zu's ", n);
    if (!in.Unsigned(a.id, area + "id", 0xffffffff) || !in.Unsigned(a.attributes, area + "attributes", 0xffff) ||
        !in.Decimal(a.latitude, area + "latitude") || !in.Decimal(a.longitude, area + "longitude") ||
        !in.Unsigned(a.radius, area + "radius", 0xffffffff))
        return false;
    if ((a.attributes.value & jt808::kAreaTimeWindow) &&
        (!in.Time(a.start, area + "start time", warnings) || !in.Time(a.end, area + "end time", warnings)))
        return false;
    if (a.attributes.value & jt808::kAreaSpeedLimit) {
        if (!in.Unsigned(a.maxSpeed.emplace(), area + "top speed", 0xffff) ||
            !in.Unsigned(a.overSpeedDuration.emplace(), area + "over-speed duration", 0xff))
            return false;
    }
    return true;
}

struct ControlWord {
    const char* meaning;
    std::vector<const char*> items;  // the ";"-separated items after "N,"
};

const ControlWord* FindControlWord(int word) {
    static const ControlWord kWords[] = {
        {"wireless upgrade",
         {"URL", "dial point name", "dial user name", "dial password", "address", "TCP port", "UDP port",
          "manufacturer id", "hardware version", "firmware version", "connect time limit"}},
        {"connect to a specified server",
         {"connection control", "authentication code", "dial point name", "dial user name", "dial password", "address",
          "TCP port", "UDP port", "connect time limit"}},
        {"terminal power off", {}},
        {"terminal reset", {}},
        {"restore factory settings", {}},
        {"turn off data communication", {}},
        {"turn off all wireless communication", {}},
    };
    return word >= 1 && word <= 7 ? &kWords[word - 1] : nullptr;
}

void ExplainControl(std::string_view text, Decoded<RequestArgument>& out) {
    RequestArgument& r = out.value;
    const std::size_t comma = std::min(text.find(','), text.size());
    const std::string_view word = text.substr(0, comma);
    const ControlWord* cw = AllDigits(word) && word.size() == 1 ? FindControlWord(word[0] - '0') : nullptr;
    if (!cw) {
        out.error = Problem{0, kBadArgument, "expected a control word from 1 to 7, found " + Quoted(word)};
        return;
    }
    r.meaning = cw->meaning;
    r.items.push_back({"control word", {0, word.size(), std::string(word)}});
    const bool hasArgs = comma < text.size();
    if (cw->items.empty() && hasArgs) {
        out.error = Problem{comma, kBadArgument, Format("control word %c takes no arguments", word[0])};
        return;
    }
    if (cw->items.empty()) return;
    if (!hasArgs) {
        out.error =
            Problem{text.size(), kBadArgument, Format("control word %c needs its arguments after \",\"", word[0])};
        return;
    }
    const std::vector<Item> items = Split(text.substr(comma + 1), comma + 1, ';');
    // Connection control 1 returns to the original platform: in JT/T 808 no
    // further field follows it.
    if (word[0] == '2' && items.size() == 1 && items[0].value == "1") {
        r.items.push_back({cw->items[0], {items[0].offset, items[0].size, std::string(items[0].value)}});
        r.meaning += " (back to the original platform)";
        return;
    }
    if (items.size() != cw->items.size()) {
        out.error = Problem{comma + 1, kBadArgument,
                            Format("expected %zu items joined by \";\", found %zu", cw->items.size(), items.size())};
        return;
    }
    for (std::size_t i = 0; i < items.size(); ++i)
        r.items.push_back({cw->items[i], {items[i].offset, items[i].size, std::string(items[i].value)}});
    if (word[0] == '2' && r.items[1].value.value == "0") r.meaning += " (switch to the specified platform)";
}

void ExplainTracking(std::string_view text, Decoded<RequestArgument>& out) {
    ItemReader in(Split(text, 0, ','), text.size(), kBadArgument);
    RequestArgument& r = out.value;
    r.items = {{"interval (s)", {}}, {"validity (s)", {}}};
    if (in.Signed(r.items[0].value, "the interval") && in.Signed(r.items[1].value, "the validity")) {
        if (const Item* extra = in.Peek()) in.Fail(extra->offset - 1, "expected two items, found more");
    }
    out.error = in.Error();
    if (out.error) return;
    const std::string& interval = r.items[0].value.value;
    r.meaning = interval == "0" ? "stop temporary tracking"
                                : "report every " + interval + " s for " + r.items[1].value.value + " s";
}

}  // namespace

Decoded<CircularSetting> DecodeCircularText(std::string_view text) {
    Decoded<CircularSetting> out;
    CircularSetting& s = out.value;
    const std::vector<Item> parts = Split(text, 0, ';');
    if (parts.size() < 2 || parts.size() > 3) {
        const std::size_t at = parts.size() < 2 ? text.size() : parts[3].offset - 1;
        out.error =
            Problem{at, kBadText, Format("expected two or three parts separated by \";\", found %zu", parts.size())};
        return out;
    }
    ItemReader head({parts[0], parts[1]}, text.size(), kBadText);
    if (!head.Unsigned(s.setAttribute, "the setting attribute", 0xff) ||
        !head.Unsigned(s.areaCount, "the area count", 0xff)) {
        out.error = head.Error();
        return out;
    }
    if (parts.size() == 3) {
        ItemReader in(Split(parts[2].value, parts[2].offset, ','), text.size(), kBadText);
        for (std::size_t n = 1; in.More(); ++n) {
            CircularArea& a = s.areas.emplace_back();
            if (!DecodeArea(in, n, a, s.warnings)) break;
        }
        out.error = in.Error();
    }
    if (!out.error && s.areaCount.value != s.areas.size())
        s.warnings.push_back({s.areaCount.offset, "area count disagrees",
                              Format("the count is %u, the text holds %zu areas", s.areaCount.value, s.areas.size())});
    return out;
}

Decoded<RequestArgument> ExplainRequest(std::uint16_t messageId, std::string_view argument) {
    Decoded<RequestArgument> out;
    RequestArgument& r = out.value;
    const auto fixed = [&](const char* want, const char* meaning) {
        r.meaning = meaning;
        if (argument != want)
            out.error = Problem{0, kBadArgument, Format("expected \"%s\", found %s", want, Quoted(argument).c_str())};
        else
            r.items.push_back({"argument", {0, argument.size(), std::string(argument)}});
    };
    switch (messageId) {
    case jt808::kParmQuery: fixed("0", "query all terminal parameters"); break;
    case jt808::kPositionQuery: fixed("0", "query the current position"); break;
    case jt808::kAffirmAlarm: fixed("1", "confirm the manual alarm"); break;
    case jt808::kTempTrack: ExplainTracking(argument, out); break;
    case jt808::kTerminalControl: ExplainControl(argument, out); break;
    default: out.error = Problem{0, kBadArgument, Format("message %04x has no request argument", messageId)};
    }
    return out;
}

}  // namespace gpenc::inspect
