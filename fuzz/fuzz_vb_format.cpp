// Fuzz target for the numeric text reader and Format: the input is split
// into a format string and a text; the text is read as a number in one of a
// few locales' characters, and numbers taken from the input's bytes are
// formatted with the format. Only the runtime's own errors (VbError) may
// come out. An amount that reads as Currency must read back the same from
// its own formatting with four decimals.

#include "platform/vb/Conversions.h"
#include "platform/vb/Format.h"
#include "platform/vb/NumericText.h"
#include "platform/vb/VbError.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

using namespace qm6::vb;

namespace {

// Characters of several locales, set directly so that no locale data is
// looked up: the single-byte US ones, German ones with "." grouping, French
// ones whose group separator is a two-byte no-break space, Japanese ones, and
// an odd set with an empty currency symbol and a multi-byte minus.
NumberChars CharsFor(uint8_t selector) {
    switch (selector % 5) {
    case 1:
        return {",", ".", "\u20AC", "-", 3, 2};
    case 2:
        return {",", "\u00A0", "\u20AC", "-", 3, 2};
    case 3:
        return {".", ",", "\u00A5", "-", 0, 0};
    case 4:
        return {".", "'", "", "\u2212", 2, 4};
    default:
        return {};
    }
}

template <typename Call> void Tolerating(Call&& call) {
    try {
        call();
    } catch (const VbError&) {
    }
}

void FormatEach(std::string_view format, uint64_t bits) {
    double d = 0;
    std::memcpy(&d, &bits, sizeof d);
    float f = 0;
    const auto low = static_cast<uint32_t>(bits);
    std::memcpy(&f, &low, sizeof f);
    const Variant values[] = {
        Variant(d),
        Variant(f),
        Variant(Currency::FromScaled(static_cast<int64_t>(bits))),
        Variant(static_cast<int32_t>(low)),
        Variant(static_cast<int16_t>(low)),
        Variant(static_cast<double>(static_cast<int64_t>(bits) % 2000001) / 1000),
        Variant(),
        Variant::Null(),
        Variant(std::string(format)),
    };
    for (const Variant& v : values) {
        Tolerating([&] { Format(v, format); });
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Work grows linearly with the input; a cap keeps each run short.
    if (size < 2 || size > 4096) {
        return 0;
    }
    SetNumberChars(CharsFor(data[0]));
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t split = rest.find('\n');
    const std::string_view format = rest.substr(0, split);
    const std::string_view text = split == std::string_view::npos ? rest : rest.substr(split + 1);

    uint64_t bits = 0;
    std::memcpy(&bits, text.data(), std::min(sizeof bits, text.size()));
    FormatEach(format, bits);

    const std::string owned(text);
    Tolerating([&] { CDbl(owned); });
    Tolerating([&] { CSng(owned); });
    Tolerating([&] { CInt(owned); });
    Tolerating([&] { CLng(owned); });
    Tolerating([&] { CBool(owned); });
    IsNumeric(owned);
    Tolerating([&] {
        const Currency amount = CCur(owned);
        const std::string shown = Format(amount, "0.0000");
        if (CCur(shown).Scaled() != amount.Scaled()) {
            std::abort(); // an amount must read back from its own text
        }
    });
    return 0;
}
