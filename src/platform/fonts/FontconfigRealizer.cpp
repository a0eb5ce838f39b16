#include "platform/fonts/FontconfigRealizer.h"

#include <fontconfig/fontconfig.h>

#include <mutex>
#include <set>

namespace qm6::fonts {
namespace {

// Fontconfig's configuration with the installed faces, loaded once; every
// call into fontconfig holds gFcMutex.
std::mutex gFcMutex;

FcConfig* Config() {
    static FcConfig* const config = FcInitLoadConfigAndFonts();
    return config;
}

std::string LowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

struct FcPatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct FcFontSetDeleter {
    void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};
struct FcObjectSetDeleter {
    void operator()(FcObjectSet* s) const { FcObjectSetDestroy(s); }
};
using PatternPtr = std::unique_ptr<FcPattern, FcPatternDeleter>;
using FontSetPtr = std::unique_ptr<FcFontSet, FcFontSetDeleter>;
using ObjectSetPtr = std::unique_ptr<FcObjectSet, FcObjectSetDeleter>;

} // namespace

// What is known of one installed face.
struct FaceRecord {
    std::string name;           // its own spelling
    std::set<int16_t> charsets; // those of KnownCharsets() it covers
};

struct FontconfigRealizer::Cache {
    // By the name asked for, lower case; nullopt for a face that is missing.
    std::map<std::string, std::optional<FaceRecord>> faces;
    std::map<std::pair<std::string, int16_t>, std::optional<std::string>> best;
    std::optional<std::string> defaultFace;

    // The caller holds gFcMutex.
    const std::optional<FaceRecord>& Face(const std::string& name);
};

const std::optional<FaceRecord>& FontconfigRealizer::Cache::Face(const std::string& name) {
    const std::string key = LowerAscii(name);
    if (auto it = faces.find(key); it != faces.end())
        return it->second;

    std::optional<FaceRecord> record;
    PatternPtr pattern(FcPatternCreate());
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    ObjectSetPtr objects(FcObjectSetBuild(FC_FAMILY, FC_LANG, static_cast<char*>(nullptr)));
    FontSetPtr list(FcFontList(Config(), pattern.get(), objects.get()));
    bool anyLanguage = false;
    for (int i = 0; list && i < list->nfont; ++i) {
        const FcPattern* font = list->fonts[i];
        // Fontconfig compares family names without blanks; the platform
        // compares them whole, without regard to case only.
        std::optional<std::string> spelling;
        FcChar8* family = nullptr;
        for (int n = 0; FcPatternGetString(font, FC_FAMILY, n, &family) == FcResultMatch; ++n) {
            const std::string f = reinterpret_cast<const char*>(family);
            if (SameFaceName(f, name)) {
                spelling = f;
                break;
            }
        }
        if (!spelling)
            continue;
        if (!record)
            record = FaceRecord{*spelling, {}};
        FcLangSet* languages = nullptr;
        if (FcPatternGetLangSet(font, FC_LANG, 0, &languages) != FcResultMatch)
            continue;
        for (const CharsetLanguage& c : KnownCharsets()) {
            if (*c.language == '\0')
                continue;
            if (FcLangSetHasLang(languages, reinterpret_cast<const FcChar8*>(c.language)) == FcLangEqual) {
                record->charsets.insert(c.charset);
                anyLanguage = true;
            }
        }
    }
    if (record && !anyLanguage)
        record->charsets.insert(2); // a symbol face
    return faces.emplace(key, std::move(record)).first->second;
}

FontconfigRealizer::FontconfigRealizer() : cache_(std::make_unique<Cache>()) {}

FontconfigRealizer::~FontconfigRealizer() = default;

std::shared_ptr<const FontconfigRealizer> FontconfigRealizer::Shared() {
    static const auto shared = std::make_shared<const FontconfigRealizer>();
    return shared;
}

std::optional<std::string> FontconfigRealizer::FindFace(const std::string& name) const {
    std::lock_guard lock(gFcMutex);
    const auto& record = cache_->Face(name);
    return record ? std::optional<std::string>(record->name) : std::nullopt;
}

bool FontconfigRealizer::Covers(const std::string& face, int16_t charset) const {
    std::lock_guard lock(gFcMutex);
    const auto& record = cache_->Face(face);
    return record && record->charsets.count(charset) != 0;
}

std::optional<std::string> FontconfigRealizer::BestFaceFor(int16_t charset,
                                                           const std::string& asked) const {
    std::lock_guard lock(gFcMutex);
    const auto key = std::make_pair(LowerAscii(asked), charset);
    if (auto it = cache_->best.find(key); it != cache_->best.end())
        return it->second;

    std::optional<std::string> best;
    PatternPtr pattern(FcPatternCreate());
    if (!asked.empty())
        FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(asked.c_str()));
    if (const char* language = LanguageOfCharset(charset)) {
        FcLangSet* languages = FcLangSetCreate();
        FcLangSetAdd(languages, reinterpret_cast<const FcChar8*>(language));
        FcPatternAddLangSet(pattern.get(), FC_LANG, languages);
        FcLangSetDestroy(languages);
    }
    FcConfigSubstitute(Config(), pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    FontSetPtr sorted(FcFontSort(Config(), pattern.get(), FcFalse, nullptr, &result));
    for (int i = 0; sorted && i < sorted->nfont && !best; ++i) {
        FcChar8* family = nullptr;
        if (FcPatternGetString(sorted->fonts[i], FC_FAMILY, 0, &family) != FcResultMatch)
            continue;
        const auto& record = cache_->Face(reinterpret_cast<const char*>(family));
        if (record && record->charsets.count(charset) != 0)
            best = record->name;
    }
    cache_->best.emplace(key, best);
    return best;
}

std::string FontconfigRealizer::DefaultFace() const {
    std::lock_guard lock(gFcMutex);
    if (cache_->defaultFace)
        return *cache_->defaultFace;
    std::string face;
    PatternPtr pattern(FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif")));
    FcConfigSubstitute(Config(), pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(Config(), pattern.get(), &result));
    FcChar8* family = nullptr;
    if (match && FcPatternGetString(match.get(), FC_FAMILY, 0, &family) == FcResultMatch) {
        // The face's own spelling, as FindFace would answer it.
        const auto& record = cache_->Face(reinterpret_cast<const char*>(family));
        face = record ? record->name : std::string();
    }
    cache_->defaultFace = face;
    return face;
}

} // namespace qm6::fonts
