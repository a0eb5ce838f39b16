// Builds a qm6data database from a seed script: makes an empty store with the
// library's own schema, runs the script in one transaction and moves the
// result into place, so a failed run never leaves a half-made file behind.
//
//   qm6data_sample <seed.sql> <output database>

#include "qm6data/SqliteConnection.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <seed.sql> <output database>\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    std::ostringstream script;
    script << in.rdbuf();

    const std::filesystem::path output = argv[2];
    std::filesystem::path partial = output;
    partial += ".partial";
    std::error_code ignored;
    std::filesystem::remove(partial, ignored);
    {
        std::shared_ptr<qm6::data::SqliteConnection> store;
        qm6::data::Status status =
            qm6::data::SqliteConnection::Open(partial, store, qm6::data::OpenOptions{true});
        if (!status) {
            status = store->ExecuteScript(script.str());
        }
        if (status) {
            std::fprintf(stderr, "%s: %s (%d)\n", argv[0], status->Message().c_str(),
                         static_cast<int>(status->Code()));
            store.reset();
            std::filesystem::remove(partial, ignored);
            return 1;
        }
    }
    std::filesystem::rename(partial, output);
    return 0;
}
