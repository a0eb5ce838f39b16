#pragma once

// Localized texts by number from the string library of the user's language.
// The library is the file <lang folder>/<locale id>/<module>LangRes.dll, a
// resource library whose string id N is the text N; the lang folder is found
// by walking up from the library's own folder. Without a string library
// every text is empty.

#include "platform/resources/ResourceLibrary.h"
#include "platform/vb/Variant.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace qm6 {

// The text of string id `id` with its "%s" markers filled from the arguments
// in order; empty when no string library is loaded or the id has no text.
std::string LangStringV(const vb::Variant& id, const std::vector<vb::Variant>& args);
// The same for an id that is already a number, without a variant on the way.
std::string LangStringOf(int32_t id, const std::vector<vb::Variant>& args);

template <class... Args>
std::string LangString(const vb::Variant& id, const Args&... args) {
    return LangStringV(id, std::vector<vb::Variant>{vb::Variant(args)...});
}
template <class... Args>
std::string LangString(int32_t id, const Args&... args) {
    return LangStringOf(id, std::vector<vb::Variant>{vb::Variant(args)...});
}

// Loads the string library of the module name for the user's locale, or the
// 1033 one when that is missing or cannot be loaded. True when one was loaded;
// when none was, the library loaded before stays in use with its module name.
bool LoadLanguage(const std::string& moduleName);
// The string library of a module for the user's locale, chosen as
// LoadLanguage chooses (<lang folder>/<locale id>/<module>LangRes.dll, else
// the 1033 one); none when neither loads. A host with texts of its own (the
// console) reads them from a library of its own module name so.
std::optional<res::ResourceLibrary> OpenStringLibrary(const std::string& moduleName);
// The text of an id in a string library, cut as LangString cuts it (at 511
// bytes of the code page, never inside a character); empty when the id has
// none. Only the id's low 16 bits count, as for the platform's loader. Texts
// read once are kept in cache.
std::string StringFromLibrary(const res::ResourceLibrary& library, unsigned codePage,
                              std::unordered_map<int32_t, std::string>& cache, int32_t id);
// Unloads the string library, if one is loaded.
void FreeLanguage();
// The locale id whose texts the user wants: the LocaleId setting, else the
// user's default locale.
int32_t GetLocaleId();
// The LocaleId setting as a Long, or -1 when it is missing, empty, not a
// number or out of range.
vb::Variant ReadLocaleIdSetting();
// The lang folder: the first folder named lang found walking up from the
// library's own folder; computed once per thread.
std::string GetLangFolder();
// True when the path names an existing file or folder.
bool FileExists(const std::string& path);
// Fills the "%s" markers (any case) of the text from the arguments in order.
// Each search goes on after the text just inserted, so an argument holding
// "%s" itself is never filled. Markers left over stay; arguments left over
// are dropped.
std::string FormatLangString(const std::string& text, const std::vector<vb::Variant>& args);

// The walk shared by the lang and common folders: the first folder on the way
// up from `start` that holds an entry named `name`, joined with that name;
// the topmost folder's when none does.
std::string FindFolderUpwards(const std::string& start, const std::string& name);

} // namespace qm6
