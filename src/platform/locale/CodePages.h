#pragma once

// The Windows code pages of a locale and the font character set of a code page.
//
// ICU knows no Windows code pages, so the code pages come from a table of our own keyed by
// language (and script where a language is written in several): 1252 Western, 1250 Central
// European, 1251 Cyrillic, 1253 Greek, 1254 Turkish, 1255 Hebrew, 1256 Arabic, 1257 Baltic,
// 1258 Vietnamese, 874 Thai, 932 Japanese, 936 Simplified Chinese, 949 Korean, 950
// Traditional Chinese. A language written only in Unicode on Windows (Hindi, Tamil, Georgian,
// Armenian, ...) has no ANSI code page: it answers 0 (CP_ACP) and OEM code page 1 (CP_OEMCP),
// as Windows does.

#include "platform/locale/Lcid.h"

#include <optional>

namespace qm6::loc {

enum : unsigned {
    CP_ACP = 0,     // "no ANSI code page of its own": the system's is used
    CP_OEMCP = 1,   // "no OEM code page of its own"
    CP_SYMBOL = 42, // the symbol font code page
    CP_UTF8 = 65001,
};

// The font character sets (LOGFONT lfCharSet) of the ANSI code pages.
enum : int {
    ANSI_CHARSET = 0,
    DEFAULT_CHARSET = 1,
    SYMBOL_CHARSET = 2,
    SHIFTJIS_CHARSET = 128,
    HANGEUL_CHARSET = 129,
    JOHAB_CHARSET = 130,
    GB2312_CHARSET = 134,
    CHINESEBIG5_CHARSET = 136,
    GREEK_CHARSET = 161,
    TURKISH_CHARSET = 162,
    VIETNAMESE_CHARSET = 163,
    HEBREW_CHARSET = 177,
    ARABIC_CHARSET = 178,
    BALTIC_CHARSET = 186,
    RUSSIAN_CHARSET = 204,
    THAI_CHARSET = 222,
    EASTEUROPE_CHARSET = 238,
};

// The ANSI code page of a locale (LOCALE_IDEFAULTANSICODEPAGE): 0 for a Unicode-only locale,
// nullopt for an LCID that names no locale. Pseudo-locales are resolved first.
std::optional<unsigned> AnsiCodePageOfLocale(Lcid lcid);

// The OEM (DOS) code page of a locale (LOCALE_IDEFAULTCODEPAGE): 437 for en-US, 850 for the
// other Western locales, 852, 866, 737, 857, 862, 720, 775 for the other ANSI groups, the
// ANSI code page itself for Thai, Vietnamese and East Asian locales; 1 for a Unicode-only
// locale; nullopt for an LCID that names no locale.
std::optional<unsigned> OemCodePageOfLocale(Lcid lcid);

// The system's ANSI code page: that of the system's default locale. When that locale has none
// (a Unicode-only locale, which Windows does not allow as system locale but Linux does) the
// answer is CP_UTF8, the encoding Linux uses, as Windows does with its UTF-8 system option.
unsigned GetACP();

// The font character set of a code page, as TranslateCharsetInfo with TCI_SRCCODEPAGE:
// 1252 → 0, 1250 → 238, 1251 → 204, 1253 → 161, 1254 → 162, 1255 → 177, 1256 → 178,
// 1257 → 186, 1258 → 163, 874 → 222, 932 → 128, 936 → 134, 949 → 129, 950 → 136,
// 1361 → 130 (Johab), 42 → 2 (symbol). Any other code page (0, 65001, the OEM code pages)
// answers nullopt, where TranslateCharsetInfo fails; callers then have no character set to
// ask a font for.
std::optional<int> CharsetOfCodePage(unsigned codePage);

} // namespace qm6::loc
