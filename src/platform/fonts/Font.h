#pragma once

// The platform's font object: a face name, a size in points, a character set
// and style flags. It is shared (std::shared_ptr), because one font object is
// handed to several controls; controls that show it subscribe to its changes.
// What a property reads back is what the font realization made of the request,
// so that a face that does not exist can later read back as the one used.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qm6::fonts {

// The properties of a font, as asked for or as realized.
struct FontDesc {
    std::string name = "MS Sans Serif";
    float size = 8.25f;   // points
    int16_t charset = 0;  // ANSI_CHARSET
    int16_t weight = 400; // 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;

    bool operator==(const FontDesc&) const = default;
};

// Turns the properties asked for into those of a font that can be used.
class FontRealizer {
public:
    virtual ~FontRealizer();
    virtual FontDesc Realize(const FontDesc& requested) const = 0;
};

// Every request is taken as it is (for tests that are not about faces).
class KeepAsSetRealizer : public FontRealizer {
public:
    FontDesc Realize(const FontDesc& requested) const override { return requested; }
};

// The realizer new fonts use; the calling thread's choice, the installed
// faces through fontconfig (FontconfigRealizer.h) until one is set. An empty
// pointer restores that default.
std::shared_ptr<const FontRealizer> CurrentFontRealizer();
void SetFontRealizer(std::shared_ptr<const FontRealizer> realizer);

class Font {
public:
    using Listener = std::function<void()>;

    static std::shared_ptr<Font> Create(const FontDesc& desc = {});
    // A new font object with the same properties (and realizer), not shared.
    std::shared_ptr<Font> Clone() const;

    explicit Font(const FontDesc& desc, std::shared_ptr<const FontRealizer> realizer);
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    const std::string& Name() const { return desc_.name; }
    void Name(const std::string& name);
    float Size() const { return desc_.size; }
    void Size(float points);
    int16_t Charset() const { return desc_.charset; }
    void Charset(int16_t charset);
    // Bold and Weight are one setting: Bold sets Weight to 700 or 400, and a
    // weight above 550 reads as bold, as the platform's font object does.
    bool Bold() const { return desc_.weight > 550; }
    void Bold(bool bold);
    int16_t Weight() const { return desc_.weight; }
    void Weight(int16_t weight);
    bool Italic() const { return desc_.italic; }
    void Italic(bool italic);
    bool Underline() const { return desc_.underline; }
    void Underline(bool underline);
    bool Strikethrough() const { return desc_.strikethrough; }
    void Strikethrough(bool strikethrough);

    const FontDesc& Desc() const { return desc_; }
    // Sets every property at once (one change notification).
    void Assign(const FontDesc& desc);

    // Calls the listener after every change of a property; answers a token
    // for Unsubscribe.
    int Subscribe(Listener listener);
    void Unsubscribe(int token);

private:
    void Change(FontDesc desc);

    FontDesc desc_;
    std::shared_ptr<const FontRealizer> realizer_;
    std::vector<std::pair<int, Listener>> listeners_;
    int nextToken_ = 1;
};

using FontPtr = std::shared_ptr<Font>;

} // namespace qm6::fonts
