#pragma once

// Font realization as the platform's font mapper does it: the face and
// character set asked for are looked up among the installed faces, and what a
// font object reads back afterwards is what could be honoured.
//
// The rule (one for every catalogue of faces):
// - DEFAULT_CHARSET (1) stands for the character set of the user's ANSI code
//   page (0 when it has none) and reads back as that set.
// - An installed face that covers the character set is kept, in the face's
//   own spelling ("arial" reads back "Arial").
// - A face the library's forms were laid out with (DesignedFaces()) that is
//   not installed becomes the first installed face with Arial's widths
//   (MetricSubstitutes()) that covers the set, so that captions still fit
//   the boxes they were designed for.
// - Otherwise the character set wins over the name: the best installed face
//   for the set is used (the catalogue decides what is best, given the name
//   asked for), and the set is kept.
// - When no installed face covers the set, the face asked for is kept if it
//   exists, else the catalogue's default face; the character set then reads
//   back as that face's own (ANSI when it covers it, SYMBOL for a symbol
//   face, else the first set it covers in the order of kCharsets).
// - A character set outside kCharsets is not checked: the face is kept if it
//   exists (else the default face) and the set reads back as asked.
// Sizes, weight and the style flags are kept as asked.

#include "platform/fonts/Font.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qm6::fonts {

// The character sets whose coverage is checked, with the language that a face
// must support to cover each (empty for SYMBOL_CHARSET, which symbol faces
// cover).
struct CharsetLanguage {
    int16_t charset;
    const char* language;
};
std::span<const CharsetLanguage> KnownCharsets();
// The language for a character set; nullptr for SYMBOL_CHARSET and for sets
// outside the list.
const char* LanguageOfCharset(int16_t charset);

// What the mapper needs to know of the installed faces.
class FaceCatalog {
public:
    virtual ~FaceCatalog();
    // The installed face of that name (compared without regard to case), in
    // its own spelling; nullopt when there is none.
    virtual std::optional<std::string> FindFace(const std::string& name) const = 0;
    // Whether the installed face (in its own spelling) covers the set; only
    // asked for sets of KnownCharsets().
    virtual bool Covers(const std::string& face, int16_t charset) const = 0;
    // The best installed face for the set when the face asked for does not
    // cover it; nullopt when no installed face covers it.
    virtual std::optional<std::string> BestFaceFor(int16_t charset, const std::string& asked) const = 0;
    // The face used for a missing face when no face covers the set; empty
    // when nothing is installed (the name asked for is then kept).
    virtual std::string DefaultFace() const = 0;
};

// The faces the forms of the library were laid out with, and the faces with
// Arial's character widths that stand in for them, in order of preference.
std::span<const char* const> DesignedFaces();
std::span<const char* const> MetricSubstitutes();

// The character set of the user's ANSI code page, for DEFAULT_CHARSET.
int16_t UserCharset();

// The rule above, applied to one request.
FontDesc MapFont(const FaceCatalog& catalog, const FontDesc& requested);

// A realizer over a catalogue of faces.
class MappingRealizer : public FontRealizer {
public:
    FontDesc Realize(const FontDesc& requested) const override {
        return MapFont(Catalog(), requested);
    }

protected:
    virtual const FaceCatalog& Catalog() const = 0;
};

// A fixed list of faces, each with the character sets it covers: the same
// rule on a machine of known faces. The first face is the default face; the
// best face for a set is the first in the list that covers it.
struct TableFace {
    std::string name;
    std::vector<int16_t> charsets;
};

class FaceTableRealizer : public MappingRealizer, private FaceCatalog {
public:
    explicit FaceTableRealizer(std::vector<TableFace> faces);

    std::optional<std::string> FindFace(const std::string& name) const override;
    bool Covers(const std::string& face, int16_t charset) const override;
    std::optional<std::string> BestFaceFor(int16_t charset, const std::string& asked) const override;
    std::string DefaultFace() const override;

protected:
    const FaceCatalog& Catalog() const override { return *this; }

private:
    const TableFace* Find(const std::string& name) const;

    std::vector<TableFace> faces_;
};

// Compares two face names as the platform does: without regard to ASCII case.
bool SameFaceName(const std::string& a, const std::string& b);

} // namespace qm6::fonts
