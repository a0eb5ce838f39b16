#include "platform/locale/Lcid.h"

#include "platform/locale/IcuLocale.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <unicode/locid.h>
#include <unicode/uloc.h>

namespace qm6::loc {

namespace {

using IcuIdFunction = int32_t (*)(const char*, char*, int32_t, UErrorCode*);

// Calls one of ICU's locale-id functions; nullopt when it fails or the answer does not fit.
std::optional<std::string> CallIcu(IcuIdFunction function, const std::string& id) {
    char buffer[ULOC_FULLNAME_CAPACITY];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = function(id.c_str(), buffer, sizeof buffer, &status);
    if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING || length < 0) {
        return std::nullopt;
    }
    return std::string(buffer, static_cast<size_t>(length));
}

std::string Join(const std::string& language, const std::string& script,
                 const std::string& region) {
    std::string id = language;
    if (!script.empty()) {
        id += '_' + script;
    }
    if (!region.empty()) {
        id += '_' + region;
    }
    return id;
}

// The id with likely script and region added ("de" → "de_Latn_DE"); the id itself when ICU
// knows nothing likely for it.
std::string WithLikelySubtags(const std::string& id) {
    return CallIcu(uloc_addLikelySubtags, id).value_or(id);
}

std::string BaseName(const std::string& id) {
    return CallIcu(uloc_getBaseName, id).value_or(id);
}

// The ICU name ICU's table gives an LCID, accepted only when it maps back to the same LCID:
// for an LCID it does not know, ICU answers the locale of its language alone.
std::optional<std::string> IcuNameOfLcid(Lcid lcid) {
    char buffer[ULOC_FULLNAME_CAPACITY];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = uloc_getLocaleForLCID(lcid, buffer, sizeof buffer, &status);
    if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING || length <= 0) {
        return std::nullopt;
    }
    std::string name(buffer, static_cast<size_t>(length));
    if (name == "root" || uloc_getLCID(name.c_str()) != lcid) {
        return std::nullopt;
    }
    return name;
}

bool IsNeutral(const std::string& icuName) {
    return detail::RegionOf(icuName).empty();
}

// The LCID of an ICU id when it names one region's locale; 0 for an unknown id, a neutral
// language (ICU maps "de_Latn_DE" to German, 7) and the invariant locale.
Lcid SpecificLcidOf(const std::string& icuId) {
    const Lcid lcid = uloc_getLCID(icuId.c_str());
    if (lcid == 0 || lcid == LOCALE_INVARIANT) {
        return 0;
    }
    const auto name = IcuNameOfLcid(lcid);
    return name && !IsNeutral(*name) ? lcid : 0;
}

// Tries an id with its likely subtags: full (zh_Hant_TW), then without the script (de_DE,
// which ICU's table holds where it has no scripted name).
Lcid SpecificLcidOfLikely(const std::string& id) {
    const std::string full = WithLikelySubtags(id);
    const std::string language = detail::LanguageOf(full);
    const std::string region = detail::RegionOf(full);
    if (region.empty()) {
        return 0;
    }
    if (Lcid lcid = SpecificLcidOf(Join(language, detail::ScriptOf(full), region))) {
        return lcid;
    }
    return SpecificLcidOf(Join(language, "", region));
}

std::string Trim(std::string_view text) {
    const auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

// A POSIX ("de_DE.UTF-8@euro") or BCP 47 ("de-DE") locale name as a canonical ICU id, with
// the glibc script modifiers (@latin, @cyrillic) turned into scripts; "C" and "POSIX" are
// en_US. nullopt for a name that is empty or not well formed.
std::optional<std::string> IcuIdOfLocaleName(std::string_view name) {
    const std::string trimmed = Trim(name);
    const size_t baseEnd = trimmed.find_first_of(".@");
    std::string base = trimmed.substr(0, baseEnd);
    std::string modifier;
    if (const size_t at = trimmed.find('@'); at != std::string::npos) {
        modifier = trimmed.substr(at + 1);
    }
    if (base == "C" || base == "POSIX") {
        return "en_US";
    }
    if (base.empty()) {
        return std::nullopt;
    }
    std::replace(base.begin(), base.end(), '_', '-');
    char buffer[ULOC_FULLNAME_CAPACITY];
    int32_t parsed = 0;
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length =
        uloc_forLanguageTag(base.c_str(), buffer, sizeof buffer, &parsed, &status);
    if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING || length <= 0 ||
        parsed != static_cast<int32_t>(base.size())) {
        return std::nullopt;
    }
    // Full canonicalization maps the old codes glibc still uses (iw_IL, in_ID, tl_PH).
    icu::Locale locale(buffer);
    status = U_ZERO_ERROR;
    locale.canonicalize(status);
    if (U_FAILURE(status) || locale.isBogus() || *locale.getLanguage() == '\0') {
        return std::nullopt;
    }
    std::string script = locale.getScript();
    if (modifier == "latin") {
        script = "Latn";
    } else if (modifier == "cyrillic") {
        script = "Cyrl";
    } else if (modifier == "devanagari") {
        script = "Deva";
    }
    return Join(locale.getLanguage(), script, locale.getCountry());
}

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

// A locale given as a decimal LCID ("1031"), as QM6_SYSTEM_LOCALE may be.
std::optional<Lcid> DecimalLcid(const std::string& text) {
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c)) != 0;
        })) {
        return std::nullopt;
    }
    return static_cast<Lcid>(std::stoul(text));
}

// The locale named by a setting: a locale name, or (when decimalAllowed) a decimal LCID.
// Anything that names no locale gives en-US.
Lcid LcidOfSetting(const std::string& setting, bool decimalAllowed) {
    if (decimalAllowed) {
        if (const auto number = DecimalLcid(setting)) {
            // Only real LCIDs: the pseudo-locales would send us back here.
            const auto name = IcuNameOfLcid(*number);
            if (!name || *number == LOCALE_INVARIANT) {
                return kLcidEnglishUs;
            }
            return IsNeutral(*name) ? LocaleNameToLcid(*name).value_or(kLcidEnglishUs) : *number;
        }
    }
    return LocaleNameToLcid(setting).value_or(kLcidEnglishUs);
}

// The value of the last LANG= line of a file in the /etc/default/locale format (shell
// assignments, optionally exported or quoted, # comments).
std::optional<std::string> LangOfLocaleFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::optional<std::string> lang;
    std::string line;
    while (std::getline(in, line)) {
        std::string text = Trim(line);
        if (text.rfind("export ", 0) == 0) {
            text = Trim(std::string_view(text).substr(7));
        }
        if (text.rfind("LANG=", 0) != 0) {
            continue;
        }
        std::string value = Trim(std::string_view(text).substr(5));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        lang = value.empty() ? std::nullopt : std::optional<std::string>(value);
    }
    return lang;
}

} // namespace

namespace detail {

std::string LanguageOf(const std::string& icuId) {
    return CallIcu(uloc_getLanguage, icuId).value_or(std::string());
}

std::string ScriptOf(const std::string& icuId) {
    return CallIcu(uloc_getScript, icuId).value_or(std::string());
}

std::string RegionOf(const std::string& icuId) {
    return CallIcu(uloc_getCountry, icuId).value_or(std::string());
}

std::optional<std::string> IcuLocaleOfLcid(Lcid lcid) {
    const Lcid resolved = ConvertDefaultLocale(lcid);
    if (resolved == LOCALE_INVARIANT) {
        return std::nullopt;
    }
    const auto name = IcuNameOfLcid(resolved);
    if (!name) {
        return std::nullopt;
    }
    return WithLikelySubtags(BaseName(*name));
}

} // namespace detail

Lcid GetUserDefaultLCID() {
    auto setting = Environment("LC_ALL");
    if (!setting) {
        setting = Environment("LANG");
    }
    return setting ? LcidOfSetting(*setting, false) : kLcidEnglishUs;
}

Lcid GetSystemDefaultLCID() {
    return GetSystemDefaultLCID(kSystemLocaleFile);
}

Lcid GetSystemDefaultLCID(const std::filesystem::path& localeFile) {
    if (const auto setting = Environment("QM6_SYSTEM_LOCALE")) {
        return LcidOfSetting(*setting, true);
    }
    if (const auto lang = LangOfLocaleFile(localeFile)) {
        return LcidOfSetting(*lang, false);
    }
    return kLcidEnglishUs;
}

Lcid ConvertDefaultLocale(Lcid lcid) {
    switch (lcid) {
    case LOCALE_NEUTRAL:
    case LOCALE_USER_DEFAULT:
    case LOCALE_CUSTOM_DEFAULT:
        return GetUserDefaultLCID();
    case LOCALE_SYSTEM_DEFAULT:
        return GetSystemDefaultLCID();
    default:
        break;
    }
    if (lcid != LOCALE_INVARIANT) {
        if (const auto name = IcuNameOfLcid(lcid); name && IsNeutral(*name)) {
            return LocaleNameToLcid(*name).value_or(lcid);
        }
    }
    return lcid;
}

bool IsValidLocale(Lcid lcid) {
    return detail::IcuLocaleOfLcid(lcid).has_value();
}

std::optional<Lcid> LocaleNameToLcid(std::string_view localeName) {
    const auto id = IcuIdOfLocaleName(localeName);
    if (!id) {
        return std::nullopt;
    }
    // The name with its likely script first: ICU's table answers the Cyrillic locale for
    // "uz_UZ", where glibc and CLDR mean Latin. Then the name as given, then the closest
    // locale of the same language and script (de_JP → de_DE), and last of the language
    // alone; the script goes before the language so that sr_Latn_XK stays Latin.
    const std::string language = detail::LanguageOf(*id);
    const std::string script = detail::ScriptOf(WithLikelySubtags(*id));
    for (const std::string& candidate : {*id, Join(language, script, ""), language}) {
        if (Lcid lcid = SpecificLcidOfLikely(candidate)) {
            return lcid;
        }
        if (Lcid lcid = SpecificLcidOf(candidate)) {
            return lcid;
        }
    }
    // Last, the language's default sublanguage, as Windows resolves a neutral LCID: for sw_TZ
    // the likely region has no LCID, but Swahili (Kenya) has. Serbian, Croatian and Bosnian
    // share one primary language number, hence the check of the language.
    if (const Lcid primary = uloc_getLCID(language.c_str()) & 0x3FF; primary != 0) {
        const Lcid byDefault = (1u << 10) | primary;
        if (const auto name = IcuNameOfLcid(byDefault);
            name && !IsNeutral(*name) && detail::LanguageOf(*name) == language) {
            return byDefault;
        }
    }
    return std::nullopt;
}

std::optional<std::string> LcidToLocaleName(Lcid lcid) {
    switch (lcid) {
    case LOCALE_NEUTRAL:
    case LOCALE_USER_DEFAULT:
    case LOCALE_CUSTOM_DEFAULT:
    case LOCALE_SYSTEM_DEFAULT:
        lcid = ConvertDefaultLocale(lcid);
        break;
    default:
        break;
    }
    if (lcid == LOCALE_INVARIANT) {
        return std::nullopt;
    }
    const auto name = IcuNameOfLcid(lcid);
    if (!name) {
        return std::nullopt;
    }
    const std::string base = BaseName(*name);
    const std::string full = WithLikelySubtags(base);
    const std::string language = detail::LanguageOf(full);
    const std::string region = detail::RegionOf(base);
    std::string script = detail::ScriptOf(base);
    if (!region.empty() &&
        detail::ScriptOf(WithLikelySubtags(Join(language, "", region))) == detail::ScriptOf(full)) {
        script.clear();
    }
    std::string tag = language;
    for (const std::string& part : {script, region}) {
        if (!part.empty()) {
            tag += '-' + part;
        }
    }
    return tag;
}

} // namespace qm6::loc
