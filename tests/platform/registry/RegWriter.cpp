// Writes `count` values into HKEY_CURRENT_USER of the hive folder named by
// QM6_REGISTRY_DIR: for each i, creates the key Software\Writers\G<i % 8> if
// it is missing and sets the value "<tag>-<i>" to the string "<tag>:<i>".
// After every finished write it prints i on its own line.
//
//   qm6_reg_writer <tag> <count>

#include "platform/registry/Registry.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace qm6::reg;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <tag> <count>\n", argv[0]);
        return 2;
    }
    const std::string tag = argv[1];
    const long count = std::atol(argv[2]);
    for (long i = 0; i < count; ++i) {
        const std::string path = "Software\\Writers\\G" + std::to_string(i % 8);
        Key key;
        long rc = OpenKey(HKEY_CURRENT_USER, path, KEY_WRITE, key);
        if (rc == ERROR_FILE_NOT_FOUND)
            rc = CreateKey(HKEY_CURRENT_USER, path, KEY_WRITE, nullptr, key);
        const std::string data = tag + ":" + std::to_string(i);
        if (rc == ERROR_SUCCESS)
            rc = SetValue(key, tag + "-" + std::to_string(i), REG_SZ,
                          {reinterpret_cast<const uint8_t*>(data.data()), data.size()});
        if (rc != ERROR_SUCCESS) {
            std::fprintf(stderr, "%s: write %ld failed with %ld\n", tag.c_str(), i, rc);
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
