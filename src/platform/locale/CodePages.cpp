#include "platform/locale/CodePages.h"

#include "platform/locale/IcuLocale.h"

#include <algorithm>
#include <string_view>

namespace qm6::loc {

namespace {

struct CodePages {
    unsigned ansi;
    unsigned oem;
};

constexpr CodePages kWestern{1252, 850};
constexpr CodePages kCentralEuropean{1250, 852};
constexpr CodePages kCyrillic{1251, 866};
constexpr CodePages kCyrillicSerbian{1251, 855};
constexpr CodePages kGreek{1253, 737};
constexpr CodePages kTurkish{1254, 857};
constexpr CodePages kHebrew{1255, 862};
constexpr CodePages kArabic{1256, 720};
constexpr CodePages kBaltic{1257, 775};
constexpr CodePages kVietnamese{1258, 1258};
constexpr CodePages kThai{874, 874};
constexpr CodePages kJapanese{932, 932};
constexpr CodePages kSimplifiedChinese{936, 936};
constexpr CodePages kKorean{949, 949};
constexpr CodePages kTraditionalChinese{950, 950};
constexpr CodePages kUnicodeOnly{CP_ACP, CP_OEMCP};

struct Group {
    CodePages pages;
    // ICU languages, or language_Script for a language written in several scripts.
    std::string_view languages;
};

// The code pages Windows gives the locales of each language. Languages not listed are
// Unicode-only on Windows.
constexpr Group kGroups[] = {
    {kWestern, "af br ca co cy da de en es eu fi fil fo fr fy ga gd gl gsw ha id ig is it kl lb "
               "ms nb nl nn no nso oc pt quz rm rw se sma smj sv sw tn wo xh yo zu"},
    {kCentralEuropean, "bs_Latn cs dsb hr hsb hu pl ro sk sl sq sr_Latn tk"},
    {kCyrillic, "az_Cyrl ba be bg kk ky mk mn_Cyrl ru sah tg tt uk uz_Cyrl"},
    {kCyrillicSerbian, "bs_Cyrl sr_Cyrl"},
    {kGreek, "el"},
    {kTurkish, "az_Latn tr uz_Latn"},
    {kHebrew, "he"},
    {kArabic, "ar ckb fa ug ur"},
    {kBaltic, "et lt lv"},
    {kVietnamese, "vi"},
    {kThai, "th"},
    {kJapanese, "ja"},
    {kSimplifiedChinese, "zh_Hans"},
    {kKorean, "ko"},
    {kTraditionalChinese, "zh_Hant"},
};

CodePages Lookup(std::string_view key) {
    for (const Group& group : kGroups) {
        std::string_view rest = group.languages;
        while (!rest.empty()) {
            const size_t end = std::min(rest.find(' '), rest.size());
            if (rest.substr(0, end) == key) {
                return group.pages;
            }
            rest.remove_prefix(std::min(end + 1, rest.size()));
        }
    }
    return kUnicodeOnly;
}

std::optional<CodePages> CodePagesOfLocale(Lcid lcid) {
    const auto icuId = detail::IcuLocaleOfLcid(lcid);
    if (!icuId) {
        return std::nullopt;
    }
    const std::string language = detail::LanguageOf(*icuId);
    const std::string script = detail::ScriptOf(*icuId);
    CodePages pages = Lookup(language + '_' + script);
    if (pages.ansi == CP_ACP) {
        pages = Lookup(language);
    }
    // The United States keep the original IBM PC code page; every other Western locale has
    // the multilingual one.
    if (language == "en" && detail::RegionOf(*icuId) == "US") {
        pages.oem = 437;
    }
    return pages;
}

} // namespace

std::optional<unsigned> AnsiCodePageOfLocale(Lcid lcid) {
    const auto pages = CodePagesOfLocale(lcid);
    return pages ? std::optional<unsigned>(pages->ansi) : std::nullopt;
}

std::optional<unsigned> OemCodePageOfLocale(Lcid lcid) {
    const auto pages = CodePagesOfLocale(lcid);
    return pages ? std::optional<unsigned>(pages->oem) : std::nullopt;
}

unsigned GetACP() {
    const unsigned codePage = AnsiCodePageOfLocale(GetSystemDefaultLCID()).value_or(CP_ACP);
    return codePage == CP_ACP ? CP_UTF8 : codePage;
}

std::optional<int> CharsetOfCodePage(unsigned codePage) {
    switch (codePage) {
    case 1252:
        return ANSI_CHARSET;
    case 1250:
        return EASTEUROPE_CHARSET;
    case 1251:
        return RUSSIAN_CHARSET;
    case 1253:
        return GREEK_CHARSET;
    case 1254:
        return TURKISH_CHARSET;
    case 1255:
        return HEBREW_CHARSET;
    case 1256:
        return ARABIC_CHARSET;
    case 1257:
        return BALTIC_CHARSET;
    case 1258:
        return VIETNAMESE_CHARSET;
    case 874:
        return THAI_CHARSET;
    case 932:
        return SHIFTJIS_CHARSET;
    case 936:
        return GB2312_CHARSET;
    case 949:
        return HANGEUL_CHARSET;
    case 950:
        return CHINESEBIG5_CHARSET;
    case 1361:
        return JOHAB_CHARSET;
    case CP_SYMBOL:
        return SYMBOL_CHARSET;
    default:
        return std::nullopt;
    }
}

} // namespace qm6::loc
