#include "KeyPath.h"

#include "platform/registry/Registry.h"

#include <array>

namespace qm6::tool {
namespace {

struct RootAlias {
    std::string_view shortName;
    std::string_view longName;
    uint32_t root; // 0 for a root that exists on Windows but has no hive here
};

constexpr std::array<RootAlias, 5> kRoots{{
    {"HKCU", "HKEY_CURRENT_USER", reg::HKEY_CURRENT_USER},
    {"HKLM", "HKEY_LOCAL_MACHINE", reg::HKEY_LOCAL_MACHINE},
    {"HKCR", "HKEY_CLASSES_ROOT", 0},
    {"HKU", "HKEY_USERS", 0},
    {"HKCC", "HKEY_CURRENT_CONFIG", 0},
}};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

constexpr std::string_view kAvailable = "use HKEY_CURRENT_USER (HKCU) or HKEY_LOCAL_MACHINE (HKLM)";

} // namespace

std::string_view RootName(uint32_t root) {
    for (const auto& alias : kRoots) {
        if (alias.root != 0 && alias.root == root)
            return alias.longName;
    }
    return {};
}

std::string_view KeyPath::RootName() const {
    return tool::RootName(root);
}

std::string KeyPath::Full() const {
    std::string full(RootName());
    if (!subKey.empty()) {
        full += '\\';
        full += subKey;
    }
    return full;
}

KeyPath KeyPath::Child(std::string_view name) const {
    KeyPath child = *this;
    if (!child.subKey.empty())
        child.subKey += '\\';
    child.subKey += name;
    return child;
}

std::optional<KeyPath> ParseKeyPath(std::string_view text, std::string& error) {
    if (text.starts_with("\\\\")) {
        error = "Remote registries are not supported; name a key on this machine.";
        return std::nullopt;
    }
    size_t slash = text.find('\\');
    std::string_view rootText = text.substr(0, slash);
    std::string_view rest =
        slash == std::string_view::npos ? std::string_view{} : text.substr(slash + 1);
    const RootAlias* found = nullptr;
    for (const auto& alias : kRoots) {
        if (EqualsIgnoringCase(rootText, alias.shortName) ||
            EqualsIgnoringCase(rootText, alias.longName)) {
            found = &alias;
            break;
        }
    }
    if (found == nullptr) {
        error = "\"" + std::string(rootText) + "\" is not a registry root; " +
                std::string(kAvailable) + ".";
        return std::nullopt;
    }
    if (found->root == 0) {
        error = "The root " + std::string(found->longName) + " is not available here; " +
                std::string(kAvailable) + ".";
        return std::nullopt;
    }
    if (slash != std::string_view::npos) {
        size_t start = 0;
        while (true) {
            size_t next = rest.find('\\', start);
            std::string_view part = rest.substr(start, next - start);
            if (part.empty()) {
                error = "The key name \"" + std::string(text) + "\" has an empty part.";
                return std::nullopt;
            }
            if (next == std::string_view::npos)
                break;
            start = next + 1;
        }
    }
    KeyPath path;
    path.root = found->root;
    path.subKey = std::string(rest);
    return path;
}

} // namespace qm6::tool
