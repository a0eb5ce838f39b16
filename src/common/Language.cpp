#include "common/Language.h"

#include "common/ModuleState.h"
#include "platform/locale/CodePages.h"
#include "platform/locale/Lcid.h"
#include "platform/registry/Registry.h"
#include "platform/resources/LoadString.h"
#include "platform/vb/Conversions.h"
#include "platform/vb/VbError.h"
#include "registry/clsRegistry.h"

#include <sys/stat.h>

namespace qm6 {
namespace {

constexpr int32_t kDefaultLocale = 1033;
constexpr size_t kStringBufferBytes = 512;

std::string LibraryPath(const std::string& folder, int32_t lcid, const std::string& name) {
    return folder + "/" + std::to_string(lcid) + "/" + name + "LangRes.dll";
}

res::LanguageDefaults ResourceLanguages() {
    return {static_cast<res::LangId>(loc::GetUserDefaultLCID() & 0xFFFF),
            static_cast<res::LangId>(loc::GetSystemDefaultLCID() & 0xFFFF)};
}

} // namespace

std::string FindFolderUpwards(const std::string& start, const std::string& name) {
    std::string p = start;
    for (;;) {
        auto k = p.rfind('/');
        if (FileExists(p + "/" + name) || k == std::string::npos)
            break;
        p = p.substr(0, k);
    }
    return p + "/" + name;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0;
}

std::string GetLangFolder() {
    auto& state = State().language;
    if (state.folder.empty())
        state.folder = FindFolderUpwards(ModuleFolder(), "lang");
    return state.folder;
}

vb::Variant ReadLocaleIdSetting() {
    clsRegistry r;
    r.ClassKey(static_cast<int32_t>(reg::HKEY_CURRENT_USER));
    r.SectionKey("Software\\Quillmeter 6");
    r.ValueType(reg::REG_DWORD);
    vb::Variant value = r.GetValueOrDefault("LocaleId", vb::Variant(""));
    // A setting that is empty, not a number or out of range counts as missing
    // instead of stopping the start-up with an error.
    try {
        if (!vb::CStr(value).empty())
            return vb::Variant(vb::CLng(value));
    } catch (const vb::VbError&) {
    }
    return vb::Variant(int32_t{-1});
}

int32_t GetLocaleId() {
    int32_t setting = ReadLocaleIdSetting().AsLong();
    if (setting == -1)
        return static_cast<int32_t>(loc::GetUserDefaultLCID());
    return setting;
}

void FreeLanguage() {
    auto& state = State().language;
    state.library.reset();
    state.texts.clear();
}

std::optional<res::ResourceLibrary> OpenStringLibrary(const std::string& moduleName) {
    const std::string folder = GetLangFolder();
    const int32_t lcid = GetLocaleId();
    auto load = [](const std::string& path) -> std::optional<res::ResourceLibrary> {
        if (!FileExists(path))
            return std::nullopt;
        auto loaded = res::ResourceLibrary::Load(path, ResourceLanguages());
        if (!loaded.library)
            return std::nullopt;
        return std::move(loaded.library);
    };
    // A locale library that exists but cannot be loaded falls back to the
    // default one like a missing file.
    if (lcid != kDefaultLocale)
        if (auto library = load(LibraryPath(folder, lcid, moduleName)))
            return library;
    return load(LibraryPath(folder, kDefaultLocale, moduleName));
}

bool LoadLanguage(const std::string& moduleName) {
    auto& state = State().language;
    std::optional<res::ResourceLibrary> library = OpenStringLibrary(moduleName);
    if (!library) {
        // A working library stays with its module name until a replacement
        // has loaded. Without one the name is kept, so that LangString can
        // try again.
        if (!state.library)
            state.moduleName = moduleName;
        return false;
    }
    FreeLanguage();
    state.moduleName = moduleName;
    state.library = std::move(library);
    state.codePage = loc::GetACP();
    state.texts.clear();
    return true;
}

std::string FormatLangString(const std::string& text, const std::vector<vb::Variant>& args) {
    std::string result = text;
    size_t start = 0;
    for (const vb::Variant& arg : args) {
        size_t k = start;
        while (k + 1 < result.size() &&
               !(result[k] == '%' && (result[k + 1] == 's' || result[k + 1] == 'S')))
            ++k;
        if (k + 1 >= result.size())
            continue;
        std::string inserted = vb::CStr(arg);
        result.replace(k, 2, inserted);
        start = k + inserted.size();
    }
    return result;
}

std::string StringFromLibrary(const res::ResourceLibrary& library, unsigned codePage,
                              std::unordered_map<int32_t, std::string>& cache, int32_t id) {
    // The loader reads the id's low 16 bits, so the cache keeps them too.
    const auto key = static_cast<int32_t>(static_cast<uint32_t>(id) & 0xFFFF);
    auto found = cache.find(key);
    if (found == cache.end()) {
        auto loaded =
            res::LoadString(library, static_cast<uint32_t>(id), kStringBufferBytes, codePage);
        found = cache.emplace(key, loaded.length > 0 ? loaded.text : std::string()).first;
    }
    return found->second;
}

std::string LangStringV(const vb::Variant& id, const std::vector<vb::Variant>& args) {
    return LangStringOf(vb::CLng(id), args);
}

std::string LangStringOf(int32_t number, const std::vector<vb::Variant>& args) {
    auto& state = State().language;
    if (!state.moduleName.empty() && !state.library)
        LoadLanguage(state.moduleName);
    if (!state.library)
        return {};

    const std::string text = StringFromLibrary(*state.library, state.codePage, state.texts, number);
    if (text.empty() || args.empty())
        return text;
    return FormatLangString(text, args);
}

} // namespace qm6
