#include "platform/resources/ResourceId.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

namespace qm6::res {

namespace {

// Upper-cases a UTF-16 name one character at a time (simple case mapping,
// so the length in characters never changes), as the platform does before
// comparing resource names. Unpaired surrogates stay as they are.
std::u16string UpperCase(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    const auto length = static_cast<int32_t>(text.size());
    int32_t i = 0;
    while (i < length) {
        UChar32 c;
        U16_NEXT(text.data(), i, length, c);
        if (U_IS_SURROGATE(c)) {
            out.push_back(static_cast<char16_t>(c));
            continue;
        }
        const UChar32 upper = u_toupper(c);
        if (U_IS_BMP(upper)) {
            out.push_back(static_cast<char16_t>(upper));
        } else {
            out.push_back(U16_LEAD(upper));
            out.push_back(U16_TRAIL(upper));
        }
    }
    return out;
}

// "#" and one to five decimal digits worth at most 65535.
bool ParseNumberName(std::string_view name, std::uint16_t& id) {
    if (name.size() < 2 || name.size() > 6 || name[0] != '#') {
        return false;
    }
    std::uint32_t value = 0;
    for (char c : name.substr(1)) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (value > 0xFFFF) {
        return false;
    }
    id = static_cast<std::uint16_t>(value);
    return true;
}

} // namespace

ResourceId::ResourceId(std::string_view name) {
    if (ParseNumberName(name, id_)) {
        return;
    }
    isName_ = true;
    // Invalid UTF-8 becomes U+FFFD; such a name simply never matches.
    std::u16string utf16(name.size(), u'\0');
    int32_t length = 0;
    UErrorCode error = U_ZERO_ERROR;
    u_strFromUTF8WithSub(utf16.data(), static_cast<int32_t>(utf16.size()), &length, name.data(),
                         static_cast<int32_t>(name.size()), 0xFFFD, nullptr, &error);
    utf16.resize(U_SUCCESS(error) ? static_cast<std::size_t>(length) : 0);
    name_ = UpperCase(utf16);
}

ResourceId ResourceId::FromUtf16Name(std::u16string_view name) {
    ResourceId id;
    id.isName_ = true;
    id.name_ = UpperCase(name);
    return id;
}

std::string ResourceId::ToString() const {
    if (!isName_) {
        return "#" + std::to_string(id_);
    }
    std::string utf8(name_.size() * 3, '\0');
    int32_t length = 0;
    UErrorCode error = U_ZERO_ERROR;
    u_strToUTF8WithSub(utf8.data(), static_cast<int32_t>(utf8.size()), &length, name_.data(),
                       static_cast<int32_t>(name_.size()), 0xFFFD, nullptr, &error);
    utf8.resize(U_SUCCESS(error) ? static_cast<std::size_t>(length) : 0);
    return utf8;
}

std::size_t ResourceId::Hash() const {
    if (!isName_) {
        return std::hash<std::uint32_t>{}(id_);
    }
    return std::hash<std::u16string>{}(name_) ^ 0x9e3779b97f4a7c15ULL;
}

} // namespace qm6::res
