#pragma once

// Locale identifiers (LCIDs) and the user's and the system's default locale, answered on Linux
// from the environment and ICU's LCID table.
//
// The user's locale is LC_ALL, else LANG ("de_DE.UTF-8"); "C", "POSIX" and an unset or empty
// variable count as en-US (1033). The system's locale is QM6_SYSTEM_LOCALE (a locale name or a
// decimal LCID), else the LANG line of /etc/default/locale, else 1033. The environment is read
// on every call, so a change is seen at once.
//
// A locale name whose language is known but whose region or script is not resolves to the
// closest locale of that language (de_JP: German (Germany), 1031; sr_RS: Serbian (Cyrillic,
// Serbia)). A name of an unknown language resolves to nothing, and the default locales then
// fall back to 1033, the locale whose texts the library always has.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qm6::loc {

using Lcid = std::uint32_t;

// Pseudo-locales that stand for another locale.
enum : Lcid {
    LOCALE_NEUTRAL = 0x0000,        // the user's default locale
    LOCALE_INVARIANT = 0x007F,      // not answered on Linux (see GetLocaleInfo)
    LOCALE_USER_DEFAULT = 0x0400,   // the user's default locale
    LOCALE_SYSTEM_DEFAULT = 0x0800, // the system's default locale
    LOCALE_CUSTOM_DEFAULT = 0x0C00, // the user's default locale
};

// en-US, the answer when nothing better is known.
inline constexpr Lcid kLcidEnglishUs = 1033;

// The file whose LANG line names the system's locale when QM6_SYSTEM_LOCALE is not set.
inline constexpr const char* kSystemLocaleFile = "/etc/default/locale";

Lcid GetUserDefaultLCID();
Lcid GetSystemDefaultLCID();
// The same, reading the LANG line from another file (tests use a temporary one).
Lcid GetSystemDefaultLCID(const std::filesystem::path& localeFile);

// The locale a pseudo-locale or a language-neutral LCID stands for: LOCALE_USER_DEFAULT,
// LOCALE_NEUTRAL and LOCALE_CUSTOM_DEFAULT give the user's locale, LOCALE_SYSTEM_DEFAULT the
// system's, a neutral LCID (7, German) the language's main locale (1031). Any other LCID,
// valid or not, is answered unchanged.
Lcid ConvertDefaultLocale(Lcid lcid);

// True when the LCID names a locale, after ConvertDefaultLocale. LOCALE_INVARIANT is not one.
bool IsValidLocale(Lcid lcid);

// The LCID of a locale name: POSIX ("de_DE.UTF-8", "sr_RS@latin") or BCP 47 ("zh-Hant-TW").
// "C" and "POSIX" give 1033. A known language with an unknown region gives the closest locale
// of that language; an unknown language, an empty or malformed name gives nullopt.
std::optional<Lcid> LocaleNameToLcid(std::string_view name);

// The BCP 47 name of an LCID in the form Windows uses: language-REGION ("de-DE", "zh-TW"),
// with the script only where it is not the region's usual one ("sr-Latn-RS"), or just the
// language (and script) for a neutral LCID ("de", "zh-Hant"). nullopt for an unknown LCID.
std::optional<std::string> LcidToLocaleName(Lcid lcid);

} // namespace qm6::loc
