// libFuzzer target for the .reg parser: any bytes either parse or give an
// error with a line number; what parses is written back out and must parse
// again to the same values.

#include "RegFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using qm6::tool::RegEntry;
using qm6::tool::RegKeyContent;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto parsed = qm6::tool::ParseRegFile(bytes);
    if (!parsed.file) {
        if (parsed.error.line < 1 || parsed.error.message.empty())
            std::abort();
        return 0;
    }

    // Every value set, each under a key of its own, through the writer and
    // the parser again.
    std::vector<RegKeyContent> keys;
    for (const auto& entry : parsed.file->entries) {
        if (entry.line < 1)
            std::abort();
        if (entry.kind == RegEntry::Kind::SetValue)
            keys.push_back({entry.key, {{entry.name, entry.type, entry.data}}});
    }
    std::vector<std::string> warnings;
    auto again = qm6::tool::ParseRegFile(qm6::tool::WriteRegFile(keys, &warnings));
    if (!again.file || !warnings.empty() || again.file->entries.size() != keys.size() * 2)
        std::abort();
    for (size_t i = 0; i < keys.size(); ++i) {
        const RegEntry& key = again.file->entries[2 * i];
        const RegEntry& value = again.file->entries[2 * i + 1];
        const auto& want = keys[i].values.front();
        if (key.kind != RegEntry::Kind::CreateKey || !(key.key == keys[i].key) ||
            value.kind != RegEntry::Kind::SetValue || value.name != want.name ||
            value.type != want.type || value.data != want.data)
            std::abort();
    }
    return 0;
}
