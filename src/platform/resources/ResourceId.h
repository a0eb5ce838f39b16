#pragma once

// The type or the name of a resource, as the platform's resource functions
// take it: either a 16-bit number or a name. Names compare without regard to
// case, as the platform does (it upper-cases names, and resource compilers
// store them upper-cased); a name written "#123" stands for the number 123.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qm6::res {

class ResourceId {
public:
    // A numeric id (what MAKEINTRESOURCE gives on the platform).
    ResourceId(std::uint16_t id) : id_(id) {}
    // A name in UTF-8. "#" followed by a decimal number up to 65535 is that
    // number; any other text, including "#70000", is a name.
    ResourceId(std::string_view name);
    ResourceId(const std::string& name) : ResourceId(std::string_view(name)) {}
    // A literal name. (No overload for const char*, so that a literal 0 stays
    // the number 0.)
    template <std::size_t N>
    ResourceId(const char (&name)[N]) : ResourceId(std::string_view(name)) {}

    // A name as a resource directory stores it (UTF-16, any case). No "#"
    // rule applies here: the directory already tells names from ids.
    static ResourceId FromUtf16Name(std::u16string_view name);

    bool IsName() const { return isName_; }
    // The number; 0 for a name.
    std::uint16_t Id() const { return id_; }
    // The name upper-cased (simple case mapping per character); empty for an id.
    const std::u16string& Name() const { return name_; }
    // "#123" for an id, the name in UTF-8 otherwise; for messages and tests.
    std::string ToString() const;

    friend bool operator==(const ResourceId& a, const ResourceId& b) {
        return a.isName_ == b.isName_ && a.id_ == b.id_ && a.name_ == b.name_;
    }
    std::size_t Hash() const;

private:
    ResourceId() = default;

    std::uint16_t id_ = 0;
    bool isName_ = false;
    std::u16string name_;
};

} // namespace qm6::res

template <> struct std::hash<qm6::res::ResourceId> {
    std::size_t operator()(const qm6::res::ResourceId& id) const noexcept { return id.Hash(); }
};
