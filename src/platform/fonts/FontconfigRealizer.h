#pragma once

// Font realization on the faces installed on this machine, found through
// fontconfig, with the rule of FontMapper.h. A face covers a character set
// when fontconfig says it supports the set's language; a face that supports
// none of those languages is a symbol face and covers SYMBOL_CHARSET only.
// The best face for a set is the first face of fontconfig's sorted match for
// the name asked for and the set's language that covers the set; the default
// face is fontconfig's match for "sans-serif".
//
// Fontconfig's answers are kept (asking it is slow); the installed faces are
// read once per process. One object may be used from several threads.

#include "platform/fonts/FontMapper.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace qm6::fonts {

class FontconfigRealizer : public MappingRealizer, private FaceCatalog {
public:
    FontconfigRealizer();
    ~FontconfigRealizer() override;

    // The realizer every thread uses unless it sets another.
    static std::shared_ptr<const FontconfigRealizer> Shared();

    std::optional<std::string> FindFace(const std::string& name) const override;
    bool Covers(const std::string& face, int16_t charset) const override;
    std::optional<std::string> BestFaceFor(int16_t charset, const std::string& asked) const override;
    std::string DefaultFace() const override;

protected:
    const FaceCatalog& Catalog() const override { return *this; }

private:
    struct Cache;
    std::unique_ptr<Cache> cache_;
};

} // namespace qm6::fonts
