#include "platform/fonts/Font.h"

#include "platform/fonts/FontconfigRealizer.h"

#include <algorithm>

namespace qm6::fonts {
namespace {
thread_local std::shared_ptr<const FontRealizer> tRealizer;

// The installed faces, as the platform's font mapper sees its own.
std::shared_ptr<const FontRealizer> DefaultRealizer() {
    return FontconfigRealizer::Shared();
}
} // namespace

FontRealizer::~FontRealizer() = default;

std::shared_ptr<const FontRealizer> CurrentFontRealizer() {
    return tRealizer ? tRealizer : DefaultRealizer();
}

void SetFontRealizer(std::shared_ptr<const FontRealizer> realizer) {
    tRealizer = std::move(realizer);
}

std::shared_ptr<Font> Font::Create(const FontDesc& desc) {
    return std::make_shared<Font>(desc, CurrentFontRealizer());
}

std::shared_ptr<Font> Font::Clone() const {
    return std::make_shared<Font>(desc_, realizer_);
}

Font::Font(const FontDesc& desc, std::shared_ptr<const FontRealizer> realizer)
    : realizer_(realizer ? std::move(realizer) : DefaultRealizer()) {
    desc_ = realizer_->Realize(desc);
}

void Font::Change(FontDesc desc) {
    desc = realizer_->Realize(desc);
    if (desc == desc_)
        return;
    desc_ = std::move(desc);
    // A listener may unsubscribe (or subscribe) while being called: walk a copy.
    const auto listeners = listeners_;
    for (const auto& entry : listeners)
        entry.second();
}

void Font::Name(const std::string& name) {
    FontDesc d = desc_;
    d.name = name;
    Change(std::move(d));
}

void Font::Size(float points) {
    FontDesc d = desc_;
    d.size = points;
    Change(std::move(d));
}

void Font::Charset(int16_t charset) {
    FontDesc d = desc_;
    d.charset = charset;
    Change(std::move(d));
}

void Font::Bold(bool bold) {
    Weight(bold ? 700 : 400);
}

void Font::Weight(int16_t weight) {
    FontDesc d = desc_;
    d.weight = weight;
    Change(std::move(d));
}

void Font::Italic(bool italic) {
    FontDesc d = desc_;
    d.italic = italic;
    Change(std::move(d));
}

void Font::Underline(bool underline) {
    FontDesc d = desc_;
    d.underline = underline;
    Change(std::move(d));
}

void Font::Strikethrough(bool strikethrough) {
    FontDesc d = desc_;
    d.strikethrough = strikethrough;
    Change(std::move(d));
}

void Font::Assign(const FontDesc& desc) {
    Change(desc);
}

int Font::Subscribe(Listener listener) {
    const int token = nextToken_++;
    listeners_.emplace_back(token, std::move(listener));
    return token;
}

void Font::Unsubscribe(int token) {
    std::erase_if(listeners_, [token](const auto& entry) { return entry.first == token; });
}

} // namespace qm6::fonts
