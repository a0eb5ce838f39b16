#include "Unicode.h"

namespace qm6::tool {
namespace {

constexpr char32_t kInvalid = 0xFFFFFFFF;
constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at `i` and advances past it; kInvalid (advancing one
// byte) for a sequence that is not well-formed.
char32_t DecodeUtf8(std::string_view s, size_t& i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b0 = byte(i);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    size_t length = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        ++i;
        return kInvalid;
    }
    if (s.size() - i < length) {
        ++i;
        return kInvalid;
    }
    for (size_t k = 1; k < length; ++k) {
        unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return kInvalid;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kInvalid;
    }
    i += length;
    return cp;
}

void AppendUnit(std::string& out, char16_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

} // namespace

bool IsValidUtf8(std::string_view text, size_t* badOffset) {
    size_t i = 0;
    while (i < text.size()) {
        size_t start = i;
        if (DecodeUtf8(text, i) == kInvalid) {
            if (badOffset != nullptr)
                *badOffset = start;
            return false;
        }
    }
    return true;
}

bool AppendUtf16Le(std::string_view utf8, std::string& out) {
    bool exact = true;
    size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp = DecodeUtf8(utf8, i);
        if (cp == kInvalid) {
            cp = kReplacement;
            exact = false;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            AppendUnit(out, static_cast<char16_t>(0xD800 + (cp >> 10)));
            AppendUnit(out, static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            AppendUnit(out, static_cast<char16_t>(cp));
        }
    }
    return exact;
}

std::string ReplaceInvalidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        size_t start = i;
        char32_t cp = DecodeUtf8(text, i);
        if (cp == kInvalid)
            AppendUtf8(out, kReplacement);
        else
            out.append(text.substr(start, i - start));
    }
    return out;
}

std::string Abbreviate(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes)
        return std::string(text);
    size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return std::string(text.substr(0, cut)) + "...";
}

size_t Utf16Length(std::string_view utf8) {
    size_t units = 0;
    size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp = DecodeUtf8(utf8, i);
        units += (cp != kInvalid && cp >= 0x10000) ? 2 : 1;
    }
    return units;
}

std::optional<std::string> Utf16LeToUtf8(std::span<const uint8_t> bytes, size_t* badOffset) {
    auto fail = [&](size_t offset) -> std::optional<std::string> {
        if (badOffset != nullptr)
            *badOffset = offset;
        return std::nullopt;
    };
    std::string out;
    out.reserve(bytes.size() / 2);
    size_t i = 0;
    while (i < bytes.size()) {
        if (bytes.size() - i < 2)
            return fail(i);
        char32_t unit = bytes[i] | (bytes[i + 1] << 8);
        size_t start = i;
        i += 2;
        if (unit >= 0xDC00 && unit <= 0xDFFF)
            return fail(start);
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (bytes.size() - i < 2)
                return fail(start);
            char32_t low = bytes[i] | (bytes[i + 1] << 8);
            if (low < 0xDC00 || low > 0xDFFF)
                return fail(start);
            i += 2;
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
        AppendUtf8(out, unit);
    }
    return out;
}

} // namespace qm6::tool
