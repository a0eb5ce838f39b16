#include "registry/clsRegistry.h"

#include "common/MessageBox.h"
#include "platform/registry/Registry.h"
#include "platform/system/System.h"
#include "platform/vb/Conversions.h"
#include "platform/vb/Strings.h"
#include "platform/vb/VbError.h"

#include <algorithm>

namespace qm6 {
namespace {

constexpr uint32_t TOKEN_QUERY = 8;
constexpr int SecurityImpersonation = 2;

const char* const kInvalidValue = "Could not set value. Invalid value for set type.";
const char* const kUnknownType = "Could not set value. Unknown value type.";

void SetError(std::string* pstrError, const std::string& text) {
    if (pstrError != nullptr)
        *pstrError = text;
}

std::string WithPrefix(const char* prefix, long code) {
    return std::string(prefix) + clsRegistry::FormatErrorText(code);
}

uint32_t Root(int32_t classKey) {
    return static_cast<uint32_t>(classKey);
}

// Splits the text at every NUL, joins the pieces with nothing between them and
// trims outer spaces: the strings of a multi-string value come back run together.
std::string RemoveNulls(const std::vector<uint8_t>& data) {
    std::string joined;
    joined.reserve(data.size());
    for (uint8_t b : data) {
        if (b != 0)
            joined.push_back(static_cast<char>(b));
    }
    return vb::Trim(joined);
}

// The text of an expandable string up to its terminating NUL.
std::string TextUpToNul(const std::vector<uint8_t>& data) {
    auto end = std::find(data.begin(), data.end(), uint8_t{0});
    return std::string(data.begin(), end);
}

// A little-endian 32-bit integer from up to four bytes; missing bytes are zero.
int32_t DwordOf(const std::vector<uint8_t>& data) {
    uint32_t value = 0;
    for (size_t i = 0; i < data.size() && i < 4; ++i)
        value |= static_cast<uint32_t>(data[i]) << (8 * i);
    return static_cast<int32_t>(value);
}

int32_t SwapByteOrder(int32_t value) {
    auto u = static_cast<uint32_t>(value);
    u = (u >> 24) | ((u >> 8) & 0xFF00u) | ((u << 8) & 0xFF0000u) | (u << 24);
    return static_cast<int32_t>(u);
}

// A string value is written as REG_EXPAND_SZ when it holds a "%" and a further
// "%" at least two characters after it, as an environment reference needs.
bool LooksExpandable(const std::string& text) {
    auto first = text.find('%');
    return first != std::string::npos && text.find('%', first + 2) != std::string::npos;
}

} // namespace

clsRegistry::clsRegistry() {
    int platform = sys::PlatformId();
    isNT_ = platform == sys::VER_PLATFORM_WIN32_NT;
    if (!isNT_) {
        // Only the NT family is supported: security descriptors and recursive
        // deletes are built on it.
        ShowMessageBox("clsRegistry::Initialize() - Unknown platform type.", vbCritical, "");
    }
}

std::string clsRegistry::FormatErrorText(long code) {
    std::string text = reg::FormatSystemMessage(code);
    if (text.empty())
        return "Unknown error code " + std::to_string(code);
    for (char& c : text) {
        if (c == '\0')
            c = ' ';
    }
    return vb::Trim(text);
}

bool clsRegistry::CheckSecurity(int32_t plngDesiredAccess) {
    reg::Key key;
    if (reg::OpenKey(Root(classKey_), sectionKey_, reg::KEY_READ, key) != reg::ERROR_SUCCESS)
        return false;

    reg::SecurityDescriptor descriptor;
    if (reg::GetKeySecurity(key,
                            reg::OWNER_SECURITY_INFORMATION | reg::GROUP_SECURITY_INFORMATION |
                                reg::DACL_SECURITY_INFORMATION,
                            descriptor) != reg::ERROR_SUCCESS)
        return false;

    reg::ImpersonateSelf(SecurityImpersonation);
    reg::Token token;
    if (reg::OpenThreadToken(TOKEN_QUERY, true, token) != reg::ERROR_SUCCESS) {
        reg::RevertToSelf();
        return false;
    }

    bool answer = false;
    if (descriptor.IsValid()) {
        const reg::GenericMapping mapping{reg::KEY_READ, reg::KEY_WRITE, reg::KEY_READ,
                                          reg::KEY_ALL_ACCESS};
        uint32_t granted = 0;
        bool status = false;
        if (reg::AccessCheck(descriptor, token, reg::MAXIMUM_ALLOWED, mapping, granted, status) ==
            reg::ERROR_SUCCESS) {
            auto wanted = static_cast<uint32_t>(plngDesiredAccess);
            answer = (granted & wanted) == wanted;
        }
    }
    reg::RevertToSelf();
    return answer;
}

bool clsRegistry::KeyExists(std::string* pstrError) {
    reg::Key key;
    long rc = reg::OpenKey(Root(classKey_), sectionKey_, reg::KEY_QUERY_VALUE, key);
    if (rc != reg::ERROR_SUCCESS) {
        SetError(pstrError, FormatErrorText(rc));
        return false;
    }
    SetError(pstrError, "");
    return true;
}

bool clsRegistry::CreateKey(bool pblnEveryoneAccess, std::string* pstrError) {
    SetError(pstrError, "");

    reg::SecurityDescriptor everyone;
    reg::SecurityAttributes attributes;
    const reg::SecurityAttributes* useAttributes = nullptr;
    if (pblnEveryoneAccess) {
        // A present but null DACL grants every access to everyone.
        if (!reg::InitializeSecurityDescriptor(everyone, reg::SECURITY_DESCRIPTOR_REVISION) ||
            !reg::SetSecurityDescriptorDacl(everyone, true, nullptr, false)) {
            SetError(pstrError, "Unable to CreateKey. Problem creating security descriptor.");
            return false;
        }
        attributes.descriptor = &everyone;
        attributes.inheritHandle = false;
        useAttributes = &attributes;
    }

    reg::Key key;
    long rc = reg::CreateKey(Root(classKey_), sectionKey_, reg::KEY_WRITE, useAttributes, key);
    if (rc != reg::ERROR_SUCCESS) {
        SetError(pstrError, WithPrefix("Unable to create key: ", rc));
        return false;
    }
    return true;
}

bool clsRegistry::DeleteKey(std::string* pstrError) {
    reg::Key key;
    long rc = reg::OpenKey(Root(classKey_), sectionKey_, reg::KEY_ALL_ACCESS, key);
    if (rc == reg::ERROR_SUCCESS)
        rc = reg::DeleteTree(key, "");
    if (rc != reg::ERROR_SUCCESS) {
        SetError(pstrError, WithPrefix("Unable to delete key: ", rc));
        return false;
    }
    return true;
}

bool clsRegistry::DeleteValue(std::string* pstrError) {
    reg::Key key;
    long rc = reg::OpenKey(Root(classKey_), sectionKey_, reg::KEY_WRITE, key);
    if (rc == reg::ERROR_SUCCESS)
        rc = reg::DeleteValue(key, valueKey_);
    if (rc != reg::ERROR_SUCCESS) {
        SetError(pstrError, FormatErrorText(rc));
        return false;
    }
    return true;
}

vb::Variant clsRegistry::GetValue(std::string* pstrError) {
    vb::Variant result = vb::Variant::Null();

    reg::Key key;
    long rc = reg::OpenKey(Root(classKey_), sectionKey_, reg::KEY_QUERY_VALUE, key);
    if (rc != reg::ERROR_SUCCESS) {
        SetError(pstrError, WithPrefix("Error retrieving value: ", rc));
        return result;
    }

    uint32_t type = 0;
    std::vector<uint8_t> data;
    rc = reg::QueryValue(key, valueKey_, &type, &data);
    if (rc != reg::ERROR_SUCCESS && rc != reg::ERROR_MORE_DATA) {
        SetError(pstrError, WithPrefix("Error retrieving value: ", rc));
        return default_;
    }

    valueType_ = static_cast<int32_t>(type);
    switch (type) {
    case reg::REG_SZ:
    case reg::REG_MULTI_SZ:
        result = vb::Variant(RemoveNulls(data));
        break;
    case reg::REG_EXPAND_SZ:
        result = vb::Variant(reg::ExpandEnvironmentStrings(TextUpToNul(data)));
        break;
    case reg::REG_DWORD:
    case reg::REG_DWORD_BIG_ENDIAN:
        // A 32-bit value does not fit more than four bytes: the read fails
        // with "more data" as the platform's read into an integer does.
        if (data.size() > 4) {
            SetError(pstrError, WithPrefix("Error retrieving value: ", reg::ERROR_MORE_DATA));
            return result;
        }
        result = vb::Variant(type == reg::REG_DWORD ? DwordOf(data) : SwapByteOrder(DwordOf(data)));
        break;
    default:
        // Any other type comes back as its bytes, exactly as stored.
        result = vb::Variant(vb::ByteArray{std::move(data), 0});
        break;
    }
    return result;
}

vb::Variant clsRegistry::GetValueOrDefault(const std::string& pstrKey,
                                           const vb::Variant& pvntDefaultValue,
                                           std::string* pstrError) {
    valueKey_ = pstrKey;
    vb::Variant value = GetValue(pstrError);
    return value.IsNull() ? pvntDefaultValue : value;
}

bool clsRegistry::SetCreateValue(const std::string& pstrValueKey, const vb::Variant& pvntValue,
                                 bool pblnEveryoneAccess, std::string* pstrError) {
    valueKey_ = pstrValueKey;
    if (!KeyExists(pstrError) && !CreateKey(pblnEveryoneAccess, pstrError))
        return false;
    return SetValue(pvntValue, pstrError);
}

bool clsRegistry::SetValue(const vb::Variant& vvntValue, std::string* pstrError) {
    std::string error;

    reg::Key key;
    long rc = reg::OpenKey(Root(classKey_), sectionKey_, reg::KEY_WRITE, key);
    if (rc == reg::ERROR_SUCCESS) {
        switch (valueType_) {
        case reg::REG_SZ:
        case reg::REG_EXPAND_SZ: {
            std::string text;
            bool convertible = true;
            try {
                text = vb::CStr(vvntValue);
            } catch (const vb::VbError&) {
                // Null, arrays and objects have no text: refuse them rather
                // than raise out of an operation that never raises.
                convertible = false;
            }
            if (!convertible) {
                error = kInvalidValue;
                break;
            }
            uint32_t type = LooksExpandable(text) ? reg::REG_EXPAND_SZ : reg::REG_SZ;
            // The terminating NUL is part of the stored data, as the platform
            // expects of string values.
            std::vector<uint8_t> bytes(text.begin(), text.end());
            bytes.push_back(0);
            rc = reg::SetValue(key, valueKey_, type, bytes);
            break;
        }
        case reg::REG_BINARY:
            if (vvntValue.Type() != vb::VarType::ByteArray) {
                error = kInvalidValue;
                break;
            }
            rc = reg::SetValue(key, valueKey_, reg::REG_BINARY, vvntValue.AsByteArray().bytes);
            break;
        case reg::REG_DWORD:
        case reg::REG_DWORD_BIG_ENDIAN: {
            int32_t number = 0;
            if (vvntValue.Type() == vb::VarType::Integer)
                number = vvntValue.AsInteger();
            else if (vvntValue.Type() == vb::VarType::Long)
                number = vvntValue.AsLong();
            else {
                error = kInvalidValue;
                break;
            }
            auto u = static_cast<uint32_t>(number);
            const uint8_t bytes[4] = {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8),
                                      static_cast<uint8_t>(u >> 16), static_cast<uint8_t>(u >> 24)};
            rc = reg::SetValue(key, valueKey_, reg::REG_DWORD, bytes);
            break;
        }
        default:
            error = kUnknownType;
            break;
        }
        key.Close();
    }
    if (rc != reg::ERROR_SUCCESS)
        error = WithPrefix("Unable to set value: ", rc);

    SetError(pstrError, error);
    return error.empty();
}

bool clsRegistry::EnumerateValues(std::vector<std::string>& rstrKeyNames, int32_t& rlngKeyCount,
                                  std::string* pstrError) {
    rstrKeyNames.clear();
    rlngKeyCount = 0;

    // Names come back whole, so no buffer is sized by the longest name
    // first; asking for every index in turn costs one pass over the key.
    reg::Key key;
    long rc = reg::OpenKey(Root(classKey_), sectionKey_, reg::KEY_QUERY_VALUE, key);
    for (uint32_t index = 0; rc == reg::ERROR_SUCCESS; ++index) {
        std::string name;
        rc = reg::EnumValue(key, index, name);
        if (rc == reg::ERROR_SUCCESS) {
            rstrKeyNames.push_back(std::move(name));
            ++rlngKeyCount;
        }
    }
    if (rc != reg::ERROR_NO_MORE_ITEMS) {
        SetError(pstrError, WithPrefix("Unable to enumerate values: ", rc));
        return false;
    }
    return true;
}

bool clsRegistry::EnumerateSections(std::vector<std::string>& rstrSections,
                                    int32_t& rlngNumSections, std::string* pstrError) {
    rstrSections.clear();
    rlngNumSections = 0;

    reg::Key key;
    long rc = reg::OpenKey(Root(classKey_), sectionKey_, reg::KEY_ENUMERATE_SUB_KEYS, key);
    // Every subkey is listed in full, a name of the longest allowed length too.
    for (uint32_t index = 0; rc == reg::ERROR_SUCCESS; ++index) {
        std::string name;
        rc = reg::EnumKey(key, index, name);
        if (rc == reg::ERROR_SUCCESS) {
            rstrSections.push_back(std::move(name));
            ++rlngNumSections;
        }
    }
    if (rc != reg::ERROR_NO_MORE_ITEMS) {
        SetError(pstrError, WithPrefix("Unable to enumerate sections: ", rc));
        return false;
    }
    return true;
}

} // namespace qm6
