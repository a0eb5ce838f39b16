#include "RegData.h"

#include "Unicode.h"
#include "platform/registry/Registry.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace qm6::tool {
namespace {

struct TypeNameEntry {
    std::string_view name;
    uint32_t type;
};

// The first entry of a type is the name shown; the later ones are aliases.
constexpr std::array<TypeNameEntry, 14> kTypeNames{{
    {"REG_NONE", reg::REG_NONE},
    {"REG_SZ", reg::REG_SZ},
    {"REG_EXPAND_SZ", reg::REG_EXPAND_SZ},
    {"REG_BINARY", reg::REG_BINARY},
    {"REG_DWORD", reg::REG_DWORD},
    {"REG_DWORD_BIG_ENDIAN", reg::REG_DWORD_BIG_ENDIAN},
    {"REG_LINK", reg::REG_LINK},
    {"REG_MULTI_SZ", reg::REG_MULTI_SZ},
    {"REG_RESOURCE_LIST", reg::REG_RESOURCE_LIST},
    {"REG_FULL_RESOURCE_DESCRIPTOR", reg::REG_FULL_RESOURCE_DESCRIPTOR},
    {"REG_RESOURCE_REQUIREMENTS_LIST", reg::REG_RESOURCE_REQUIREMENTS_LIST},
    {"REG_QWORD", reg::REG_QWORD},
    {"REG_DWORD_LITTLE_ENDIAN", reg::REG_DWORD},
    {"REG_QWORD_LITTLE_ENDIAN", reg::REG_QWORD},
}};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
        if (upper(a[i]) != upper(b[i]))
            return false;
    }
    return true;
}

std::string HexDigits(std::span<const uint8_t> data) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(data.size() * 2);
    for (uint8_t b : data) {
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0xF]);
    }
    return out;
}

std::string Hex0x(uint64_t value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(value));
    return buffer;
}

// A decimal or 0x-prefixed hex number no greater than `max`.
std::optional<uint64_t> ParseNumber(std::string_view text, uint64_t max) {
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        int digit = HexDigitValue(c);
        if (digit < 0 || static_cast<unsigned>(digit) >= base)
            return std::nullopt;
        if (value > (max - static_cast<uint64_t>(digit)) / base)
            return std::nullopt;
        value = value * base + static_cast<uint64_t>(digit);
    }
    return value;
}

std::string TextUpToNul(std::span<const uint8_t> data) {
    std::string text;
    for (uint8_t b : data) {
        if (b == 0)
            break;
        text.push_back(static_cast<char>(b));
    }
    return text;
}

} // namespace

std::string TypeName(uint32_t type) {
    for (const auto& entry : kTypeNames) {
        if (entry.type == type)
            return std::string(entry.name);
    }
    return Hex0x(type);
}

std::optional<uint32_t> ParseTypeName(std::string_view name) {
    for (const auto& entry : kTypeNames) {
        if (EqualsIgnoringCase(entry.name, name))
            return entry.type;
    }
    return std::nullopt;
}

std::string FormatData(uint32_t type, std::span<const uint8_t> data) {
    switch (type) {
    case reg::REG_SZ:
    case reg::REG_EXPAND_SZ:
        return TextUpToNul(data);
    case reg::REG_MULTI_SZ: {
        // Both terminators go (the last string's and the list's), then every
        // NUL left separates two strings.
        size_t end = data.size();
        for (int i = 0; i < 2 && end > 0 && data[end - 1] == 0; ++i)
            --end;
        std::string text;
        for (size_t i = 0; i < end; ++i) {
            if (data[i] == 0)
                text += "\\0";
            else
                text.push_back(static_cast<char>(data[i]));
        }
        return text;
    }
    case reg::REG_DWORD:
        if (data.size() == 4)
            return Hex0x(data[0] | data[1] << 8 | data[2] << 16 |
                         static_cast<uint32_t>(data[3]) << 24);
        break;
    case reg::REG_DWORD_BIG_ENDIAN:
        if (data.size() == 4)
            return Hex0x(static_cast<uint32_t>(data[0]) << 24 | data[1] << 16 | data[2] << 8 |
                         data[3]);
        break;
    case reg::REG_QWORD:
        if (data.size() == 8) {
            uint64_t value = 0;
            for (size_t i = 0; i < 8; ++i)
                value |= static_cast<uint64_t>(data[i]) << (8 * i);
            return Hex0x(value);
        }
        break;
    default:
        break;
    }
    return HexDigits(data);
}

std::optional<std::vector<uint8_t>> EncodeData(uint32_t type, std::optional<std::string_view> text,
                                               std::string_view separator, std::string& error) {
    std::string_view data = text.value_or(std::string_view{});
    if (!IsValidUtf8(data)) {
        error = "The data is not valid UTF-8 text.";
        return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    switch (type) {
    case reg::REG_SZ:
    case reg::REG_EXPAND_SZ:
        bytes.assign(data.begin(), data.end());
        bytes.push_back(0);
        return bytes;
    case reg::REG_MULTI_SZ: {
        if (separator.empty())
            separator = "\\0";
        // Each string with its NUL, then the NUL that ends the list. A
        // separator at the very end is allowed; an empty string elsewhere
        // would end the list early, so it is refused.
        size_t start = 0;
        while (start < data.size()) {
            size_t next = data.find(separator, start);
            std::string_view part = data.substr(start, next - start);
            if (part.empty()) {
                error = "REG_MULTI_SZ data cannot hold an empty string.";
                return std::nullopt;
            }
            bytes.insert(bytes.end(), part.begin(), part.end());
            bytes.push_back(0);
            if (next == std::string_view::npos)
                break;
            start = next + separator.size();
        }
        bytes.push_back(0);
        return bytes;
    }
    case reg::REG_DWORD:
    case reg::REG_DWORD_BIG_ENDIAN:
    case reg::REG_QWORD: {
        bool isQword = type == reg::REG_QWORD;
        uint64_t max = isQword ? UINT64_MAX : UINT32_MAX;
        auto value = text ? ParseNumber(*text, max) : std::nullopt;
        if (!value) {
            error = TypeName(type) + " data must be a number from 0 to " +
                    (isQword ? "0xffffffffffffffff" : "0xffffffff") +
                    ", in decimal or with a 0x prefix in hex.";
            return std::nullopt;
        }
        size_t size = isQword ? 8 : 4;
        for (size_t i = 0; i < size; ++i)
            bytes.push_back(static_cast<uint8_t>(*value >> (8 * i)));
        // A big-endian number is stored most significant byte first, so that
        // readers that honour the type (the registry key object does) see the
        // number that was typed.
        if (type == reg::REG_DWORD_BIG_ENDIAN)
            std::reverse(bytes.begin(), bytes.end());
        return bytes;
    }
    default: {
        if (data.size() % 2 != 0) {
            error = TypeName(type) + " data must be an even number of hex digits.";
            return std::nullopt;
        }
        for (size_t i = 0; i < data.size(); i += 2) {
            int high = HexDigitValue(data[i]);
            int low = HexDigitValue(data[i + 1]);
            if (high < 0 || low < 0) {
                error = TypeName(type) + " data must be hex digits (0-9, A-F); \"" +
                        std::string(data.substr(i, 2)) + "\" is not.";
                return std::nullopt;
            }
            bytes.push_back(static_cast<uint8_t>(high << 4 | low));
        }
        return bytes;
    }
    }
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace qm6::tool
