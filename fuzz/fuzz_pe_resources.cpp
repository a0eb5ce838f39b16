// Fuzz target for the PE resource reader: loads arbitrary bytes as a
// resource library held in memory and, when they load, looks up every
// resource, every string and the pictures, touching every byte answered.
// A load either succeeds or answers ERROR_BAD_EXE_FORMAT; a loaded string
// never exceeds its buffer.

#include "platform/resources/LoadString.h"
#include "platform/resources/ResourceLibrary.h"

#include <cstddef>
#include <cstdint>

using namespace qm6::res;

namespace {

std::uint32_t Touch(const std::optional<Resource>& resource) {
    std::uint32_t sum = 0;
    if (resource) {
        for (auto byte : resource->data) {
            sum += byte;
        }
    }
    return sum;
}

void CheckString(const ResourceLibrary& library, std::uint32_t id) {
    for (std::uint32_t codePage : {1252u, 932u, 65001u}) {
        const auto loaded = LoadString(library, id, 512, codePage);
        if (loaded.length < 0 || loaded.length > 511 ||
            (loaded.length == 0) != loaded.text.empty()) {
            __builtin_trap();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Japanese user, German system: every step of the language choice is
    // reachable from the fixtures' languages.
    const auto loaded = ResourceLibrary::FromBytes(std::span(data, size), {0x0411, 0x0407});
    if (!loaded) {
        if (loaded.error != ERROR_BAD_EXE_FORMAT) {
            __builtin_trap();
        }
        return 0;
    }
    const ResourceLibrary& library = *loaded.library;
    std::uint32_t sum = 0;
    for (const auto& type : library.Types()) {
        for (const auto& name : library.Names(type)) {
            sum += Touch(library.Find(type, name));
            for (LangId language : library.LanguagesOf(type, name)) {
                sum += Touch(library.FindExact(type, name, language));
            }
            if (type == ResourceId(RT_GROUP_ICON)) {
                if (const auto group = library.IconGroup(name)) {
                    for (const auto& entry : *group) {
                        sum += Touch(library.FindIcon(entry.iconId));
                    }
                }
            }
            if (type == ResourceId(RT_STRING) && !name.IsName() && name.Id() > 0) {
                for (std::uint32_t k = 0; k < 16; ++k) {
                    CheckString(library, (std::uint32_t{name.Id()} - 1) * 16 + k);
                }
            }
        }
    }
    sum += Touch(library.Find("adminhead", 1000));
    sum += Touch(library.FindBitmap("HEADERLOGO"));
    CheckString(library, 65536);
    static volatile std::uint32_t sink;
    sink = sink + sum;
    return 0;
}
