#include "platform/fonts/FontMapper.h"

#include "platform/locale/CodePages.h"
#include "platform/locale/Lcid.h"

#include <algorithm>
#include <array>

namespace qm6::fonts {
namespace {

constexpr int16_t kDefaultCharset = 1;
constexpr int16_t kAnsiCharset = 0;
constexpr int16_t kSymbolCharset = 2;

// In the order a face's own character set is chosen in.
constexpr std::array<CharsetLanguage, 15> kCharsets{{
    {0, "en"},
    {238, "cs"},
    {204, "ru"},
    {161, "el"},
    {162, "tr"},
    {177, "he"},
    {178, "ar"},
    {186, "lt"},
    {163, "vi"},
    {222, "th"},
    {128, "ja"},
    {129, "ko"},
    {134, "zh-cn"},
    {136, "zh-tw"},
    {2, ""},
}};

constexpr std::array<const char*, 4> kDesignedFaces{"MS Sans Serif", "Microsoft Sans Serif", "Tahoma",
                                                    "Arial"};
// Arial itself, then the faces made with its widths (Liberation Sans 2 and
// Arimo ship on free systems).
constexpr std::array<const char*, 3> kMetricSubstitutes{"Arial", "Liberation Sans", "Arimo"};

bool Known(int16_t charset) {
    return std::any_of(kCharsets.begin(), kCharsets.end(),
                       [charset](const CharsetLanguage& c) { return c.charset == charset; });
}

// The face's own character set (see the header).
int16_t OwnCharset(const FaceCatalog& catalog, const std::string& face) {
    for (const CharsetLanguage& c : kCharsets)
        if (catalog.Covers(face, c.charset))
            return c.charset;
    return kAnsiCharset;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool IsDesignedFace(const std::string& name) {
    return std::any_of(kDesignedFaces.begin(), kDesignedFaces.end(),
                       [&name](const char* face) { return SameFaceName(name, face); });
}

// The installed face with Arial's widths that stands in for a missing
// designed face; nullopt when none is installed (or none covers a known set).
std::optional<std::string> MetricSubstitute(const FaceCatalog& catalog, int16_t charset) {
    for (const char* candidate : kMetricSubstitutes) {
        std::optional<std::string> face = catalog.FindFace(candidate);
        if (face && (!Known(charset) || catalog.Covers(*face, charset)))
            return face;
    }
    return std::nullopt;
}

} // namespace

FaceCatalog::~FaceCatalog() = default;

std::span<const char* const> DesignedFaces() {
    return kDesignedFaces;
}

std::span<const char* const> MetricSubstitutes() {
    return kMetricSubstitutes;
}

std::span<const CharsetLanguage> KnownCharsets() {
    return kCharsets;
}

const char* LanguageOfCharset(int16_t charset) {
    for (const CharsetLanguage& c : kCharsets)
        if (c.charset == charset)
            return *c.language != '\0' ? c.language : nullptr;
    return nullptr;
}

bool SameFaceName(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

int16_t UserCharset() {
    const auto codePage = loc::AnsiCodePageOfLocale(loc::LOCALE_USER_DEFAULT);
    const auto charset = codePage ? loc::CharsetOfCodePage(*codePage) : std::nullopt;
    return charset ? static_cast<int16_t>(*charset) : kAnsiCharset;
}

FontDesc MapFont(const FaceCatalog& catalog, const FontDesc& requested) {
    FontDesc out = requested;
    const int16_t charset = requested.charset == kDefaultCharset ? UserCharset() : requested.charset;
    std::optional<std::string> face = catalog.FindFace(requested.name);
    if (!face && IsDesignedFace(requested.name))
        face = MetricSubstitute(catalog, charset);

    if (!Known(charset)) {
        if (face)
            out.name = *face;
        else if (std::string fallback = catalog.DefaultFace(); !fallback.empty())
            out.name = std::move(fallback);
        out.charset = charset;
        return out;
    }
    if (face && catalog.Covers(*face, charset)) {
        out.name = *face;
        out.charset = charset;
        return out;
    }
    if (std::optional<std::string> best = catalog.BestFaceFor(charset, requested.name)) {
        out.name = std::move(*best);
        out.charset = charset;
        return out;
    }
    std::string used = face ? *face : catalog.DefaultFace();
    if (used.empty()) {
        out.charset = charset; // nothing installed: keep the request
        return out;
    }
    out.charset = OwnCharset(catalog, used);
    out.name = std::move(used);
    return out;
}

FaceTableRealizer::FaceTableRealizer(std::vector<TableFace> faces) : faces_(std::move(faces)) {}

const TableFace* FaceTableRealizer::Find(const std::string& name) const {
    for (const TableFace& f : faces_)
        if (SameFaceName(f.name, name))
            return &f;
    return nullptr;
}

std::optional<std::string> FaceTableRealizer::FindFace(const std::string& name) const {
    const TableFace* f = Find(name);
    return f ? std::optional<std::string>(f->name) : std::nullopt;
}

bool FaceTableRealizer::Covers(const std::string& face, int16_t charset) const {
    const TableFace* f = Find(face);
    return f && std::find(f->charsets.begin(), f->charsets.end(), charset) != f->charsets.end();
}

std::optional<std::string> FaceTableRealizer::BestFaceFor(int16_t charset, const std::string&) const {
    for (const TableFace& f : faces_)
        if (std::find(f.charsets.begin(), f.charsets.end(), charset) != f.charsets.end())
            return f.name;
    return std::nullopt;
}

std::string FaceTableRealizer::DefaultFace() const {
    return faces_.empty() ? std::string() : faces_.front().name;
}

} // namespace qm6::fonts
