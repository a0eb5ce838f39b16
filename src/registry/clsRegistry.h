#pragma once

// One object per registry key and value: the library's only way into the
// registry. It addresses the key SectionKey below the root ClassKey and the
// value ValueKey in it. No operation raises: each answers a Boolean (or the
// value read) and reports a failure through the optional error text, which
// holds a prefix naming the operation and the system's message text.

#include "platform/vb/Variant.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm6 {

class clsRegistry {
public:
    clsRegistry();

    int32_t ClassKey() const { return classKey_; }
    void ClassKey(int32_t venmKey) { classKey_ = venmKey; }
    const std::string& SectionKey() const { return sectionKey_; }
    void SectionKey(const std::string& vstrSectionKey) { sectionKey_ = vstrSectionKey; }
    const std::string& ValueKey() const { return valueKey_; }
    void ValueKey(const std::string& vstrValueKey) { valueKey_ = vstrValueKey; }
    int32_t ValueType() const { return valueType_; }
    void ValueType(int32_t venmValueType) { valueType_ = venmValueType; }
    const vb::Variant& Default() const { return default_; }
    void Default(const vb::Variant& vvntDefault) { default_ = vvntDefault; }

    // True when the current user holds every bit of the mask on the key.
    bool CheckSecurity(int32_t plngDesiredAccess);
    // True when the key can be opened for reading values.
    bool KeyExists(std::string* pstrError = nullptr);
    // True when the key exists afterwards (created, or already there). With
    // everyone access a new key gets a null DACL; otherwise it inherits.
    bool CreateKey(bool pblnEveryoneAccess, std::string* pstrError = nullptr);
    // Deletes the key with everything below it.
    bool DeleteKey(std::string* pstrError = nullptr);
    bool DeleteValue(std::string* pstrError = nullptr);
    // Null, a String, a Long or a byte array; Default when the value is
    // missing from a key that exists.
    vb::Variant GetValue(std::string* pstrError = nullptr);
    vb::Variant GetValueOrDefault(const std::string& pstrKey, const vb::Variant& pvntDefaultValue,
                                  std::string* pstrError = nullptr);
    bool SetCreateValue(const std::string& pstrValueKey, const vb::Variant& pvntValue,
                        bool pblnEveryoneAccess, std::string* pstrError = nullptr);
    bool SetValue(const vb::Variant& vvntValue, std::string* pstrError = nullptr);
    // Names are 1-based in the original; here element 0 is name 1.
    bool EnumerateValues(std::vector<std::string>& rstrKeyNames, int32_t& rlngKeyCount,
                         std::string* pstrError = nullptr);
    bool EnumerateSections(std::vector<std::string>& rstrSections, int32_t& rlngNumSections,
                           std::string* pstrError = nullptr);

    // The system's message for a Win32 error code, NULs turned to spaces and
    // outer spaces trimmed; "Unknown error code N" when there is none.
    static std::string FormatErrorText(long code);

private:
    bool isNT_ = false;
    int32_t classKey_ = 0;
    std::string sectionKey_;
    std::string valueKey_;
    vb::Variant default_ = vb::Variant::Null();
    int32_t valueType_ = 0;
};

} // namespace qm6
