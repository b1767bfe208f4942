// CEncoder_Standard: the circular-area alarm setting (0x8600), carried as a
// delimited setting text.
#include "gpenc/Encoder_Standard.h"

#include "Text.h"
#include "core/Failure.h"
#include "core/Log.h"
#include "core/Wire.h"
#include "core/Writer.h"
#include "jt808/StandardParts.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

using gpenc::detail::Check;
using gpenc::detail::Op;
using namespace gpenc::detail::standard;

namespace {

// The separators of the setting text are "," and ";", so a number must never
// take a comma for its decimal point: WriteFixed6 writes what "%f" writes in
// the classic locale, whatever the locale, and without a stream to set up.
// D10: a "." whatever the process locale (docs/compat.md).
void AppendFixed6(std::string& text, double value, char separator) {
    char digits[gpenc::detail::kFixed6Room + 1];
    char* end = gpenc::detail::WriteFixed6(digits, value);
    *end++ = separator;
    text.append(digits, static_cast<std::size_t>(end - digits));
}

// "yy-mm-dd-hh-mi-ss," from six BCD bytes.
void AppendBcdTime(std::string& text, const unsigned char (&time)[6]) {
    char digits[3 * sizeof time];  // sized by the array the loop runs over, so it cannot write past it
    char* out = digits;
    for (const unsigned char b : time) {
        gpenc::detail::WriteHex(out, b);
        out[2] = '-';
        out += 3;
    }
    digits[sizeof digits - 1] = ',';
    text.append(digits, sizeof digits);
}

void AppendUnsigned(std::string& text, unsigned long value, char separator) {
    char digits[24];
    char* end = std::to_chars(digits, digits + sizeof digits - 1, value).ptr;
    *end++ = separator;
    text.append(digits, static_cast<std::size_t>(end - digits));
}

// Whether coordinate `value` of an area is finite; if not, the reason under `area`.
bool Finite(Check& area, double value, const char* field) {
    return area.That(std::isfinite(value), field, [&] {
        return std::string("must be finite, got ") + (std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf");
    });
}

}  // namespace

GPENC_FLATTEN bool CEncoder_Standard::ParmSet_Get808AlarmSetData_Circular(MsgData_AlarmSet_Circular setting,
                                                                          std::string& text) {
    static constexpr Op op = Marked("CEncoder_Standard::ParmSet_Get808AlarmSetData_Circular");
    return gpenc::detail::Public(op, [&] {
        // D7: false after a caught exception, so that a text cut short is never sent (docs/compat.md).
        return gpenc::detail::Logged([&](auto& log) {
            auto frame = log.Open(op);
            if (!frame) return false;
            // D8: "nan" or "inf" in place of a coordinate is no position the receiver could read (docs/compat.md).
            for (std::size_t i = 0; i < setting.vecAreas.size(); ++i) {
                const MsgData_AlarmSet_CircularArea& a = setting.vecAreas[i];
                Check area("setting.vecAreas", static_cast<int>(i));
                if (!Finite(area, a.dLatitude, "dLatitude") || !Finite(area, a.dLongitude, "dLongitude"))
                    return log.Fail();
            }
            std::string added;
            // Room for the usual areas at once: about 60 characters each, 96 with
            // both the time window and the speed limit.
            added.reserve(8 + 96 * setting.vecAreas.size());
            AppendUnsigned(added, setting.bySetAttr, ';');
            // Q42: the count as the caller states it, whatever the number of areas (docs/compat.md).
            AppendUnsigned(added, setting.byAreaCount, ';');
            for (const auto& area : setting.vecAreas) {
                // D9: the id and the radius go out unsigned, 2^31 and above too (docs/compat.md).
                AppendUnsigned(added, area.dwAreaId, ',');
                AppendUnsigned(added, area.wAreaAttr, ',');
                AppendFixed6(added, area.dLatitude, ',');
                AppendFixed6(added, area.dLongitude, ',');
                AppendUnsigned(added, area.dwRadius, ',');
                if (area.wAreaAttr & wire::jt808::kAreaTimeWindow) {
                    AppendBcdTime(added, area.byStartTime);
                    AppendBcdTime(added, area.byEndTime);
                }
                if (area.wAreaAttr & wire::jt808::kAreaSpeedLimit) {
                    AppendUnsigned(added, area.wMaxSpeed, ',');
                    // D11: the over-speed duration follows the speed limit, as in JT/T 808 (docs/compat.md).
                    AppendUnsigned(added, area.byOverSpeedDuration, ',');
                }
            }
            added.pop_back();  // the separator after the last item
            // Room made first, so that the append after the exit record cannot
            // fail (and only when short: reserve may give back spare room). An
            // empty text takes the composed one whole.
            if (!text.empty() && text.capacity() < text.size() + added.size()) text.reserve(text.size() + added.size());
            // Q24: appended to the caller's text, which keeps what it held (docs/compat.md).
            // D1: the caller's text changes only on success (docs/compat.md).
            if (!log.Exit()) return false;
            text.empty() ? text.swap(added) : void(text += added);
            return true;
        });
    });
}
