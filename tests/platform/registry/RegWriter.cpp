// Writes `count` values into HKEY_CURRENT_USER of the hive folder named by
// QM6_REGISTRY_DIR through the registry key object's SetCreateValue: for
// each i, the key Software\Writers\G<i % 8> is created if it is missing and
// the value "<tag>-<i>" is set to the string "<tag>:<i>" (stored with its
// terminating NUL). After every finished write it prints i on its own line.
// With "wait", it opens the hive and then waits for a line on stdin before
// the first write, so that several writers can be started at one moment.
//
//   qm6_reg_writer <tag> <count> [wait]

#include "platform/registry/Registry.h"
#include "registry/clsRegistry.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace qm6::reg;

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 4 && std::string(argv[3]) == "wait")) {
        std::fprintf(stderr, "usage: %s <tag> <count> [wait]\n", argv[0]);
        return 2;
    }
    const std::string tag = argv[1];
    const long count = std::atol(argv[2]);
    qm6::clsRegistry registry;
    registry.ClassKey(static_cast<int32_t>(HKEY_CURRENT_USER));
    registry.ValueType(REG_SZ);
    if (argc == 4) {
        Key root; // the hive's connection made before the start
        OpenKey(HKEY_CURRENT_USER, "", KEY_READ, root);
        char go = 0;
        if (read(STDIN_FILENO, &go, 1) != 1)
            return 1;
    }
    for (long i = 0; i < count; ++i) {
        registry.SectionKey("Software\\Writers\\G" + std::to_string(i % 8));
        std::string error;
        if (!registry.SetCreateValue(tag + "-" + std::to_string(i),
                                     qm6::vb::Variant(tag + ":" + std::to_string(i)), false,
                                     &error)) {
            std::fprintf(stderr, "%s: write %ld failed: %s\n", tag.c_str(), i, error.c_str());
            return 1;
        }
        // One write(2) per line, so that a line is either reported whole or
        // not at all.
        const std::string line = std::to_string(i) + "\n";
        if (write(STDOUT_FILENO, line.data(), line.size()) != ssize_t(line.size()))
            return 1;
    }
    return 0;
}
