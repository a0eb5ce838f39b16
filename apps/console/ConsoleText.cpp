#include "ConsoleText.h"

#include "common/Language.h"
#include "platform/locale/CodePages.h"

#include <optional>
#include <unordered_map>

namespace qm6::console {

namespace {

struct ConsoleLibrary {
    bool tried = false;
    std::optional<res::ResourceLibrary> library;
    unsigned codePage = 1252;
    std::unordered_map<int32_t, std::string> texts;
};

ConsoleLibrary& State() {
    thread_local ConsoleLibrary state;
    return state;
}

ConsoleLibrary& Library() {
    ConsoleLibrary& state = State();
    if (!state.tried) {
        state.tried = true;
        state.library = OpenStringLibrary("qm6console");
        state.codePage = loc::GetACP();
    }
    return state;
}

} // namespace

std::string TextV(int32_t id, const std::vector<vb::Variant>& args) {
    ConsoleLibrary& state = Library();
    if (!state.library)
        return {};
    const std::string text = StringFromLibrary(*state.library, state.codePage, state.texts, id);
    return args.empty() ? text : FormatLangString(text, args);
}

void ReloadConsoleText() {
    State() = ConsoleLibrary{};
}

} // namespace qm6::console
