#include "platform/resources/LoadString.h"

#include <memory>
#include <string>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/utf16.h>

namespace qm6::res {

namespace {

constexpr std::uint32_t kUtf8CodePage = 65001;

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// ICU's converter for a Windows code page: ICU names most of them
// "windows-N" (1250-1258, 874, 932, 936, 949, 950), the DOS ones "cpN".
Converter OpenConverter(std::uint32_t codePage) {
    const std::string number = std::to_string(codePage);
    const std::string names[] = {
        codePage == kUtf8CodePage ? std::string("UTF-8") : "windows-" + number,
        "cp" + number,
        "windows-1252",
    };
    for (const auto& name : names) {
        UErrorCode error = U_ZERO_ERROR;
        Converter converter(ucnv_open(name.c_str(), &error));
        if (U_FAILURE(error) || !converter) {
            continue;
        }
        // Stop at a character the code page lacks, so it can be counted as
        // the platform's one-byte '?' rather than ICU's substitute (which is
        // two bytes in the double-byte code pages).
        ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                              &error);
        ucnv_setFallback(converter.get(), true);
        if (U_SUCCESS(error)) {
            return converter;
        }
    }
    return nullptr;
}

// Bytes one character (count UTF-16 units: 1, or 2 for a surrogate pair)
// takes in the converter's code page.
std::size_t AnsiBytes(UConverter* converter, const char16_t* units, int32_t count) {
    if (converter == nullptr) {
        return static_cast<std::size_t>(count);
    }
    char out[16];
    UErrorCode error = U_ZERO_ERROR;
    const int32_t written = ucnv_fromUChars(converter, out, sizeof out, units, count, &error);
    if (U_FAILURE(error) || written <= 0) {
        return static_cast<std::size_t>(count);
    }
    return static_cast<std::size_t>(written);
}

void AppendUtf8(std::string& out, UChar32 c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

} // namespace

LoadedString CutToAnsiBuffer(std::u16string_view text, std::size_t bufferBytes,
                             std::uint32_t codePage) {
    LoadedString result;
    if (bufferBytes <= 1 || text.empty()) {
        return result;
    }
    const std::size_t limit = bufferBytes - 1; // room for the terminating NUL
    const Converter converter = OpenConverter(codePage);
    const auto length = static_cast<int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
    std::size_t used = 0;
    int32_t i = 0;
    while (i < length) {
        const int32_t start = i;
        UChar32 c;
        U16_NEXT(text.data(), i, length, c);
        const bool lone = U_IS_SURROGATE(c);
        const std::size_t bytes =
            lone ? 1 : AnsiBytes(converter.get(), text.data() + start, i - start);
        if (used + bytes > limit) {
            break;
        }
        used += bytes;
        AppendUtf8(result.text, lone ? 0xFFFD : c);
    }
    result.length = static_cast<int>(used);
    return result;
}

LoadedString LoadString(const ResourceLibrary& library, std::uint32_t id, std::size_t bufferBytes,
                        std::uint32_t codePage) {
    // The platform's loader takes the id's low 16 bits: 65549 reads id 13.
    return CutToAnsiBuffer(library.String(id & 0xFFFF), bufferBytes, codePage);
}

} // namespace qm6::res
