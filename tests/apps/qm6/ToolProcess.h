#pragma once

// Runs the built qm6 tool (QM6_TOOL, defined by the test target) as a
// process: standard input from a file, standard output and error captured in
// files of a folder, and the exit code.

#include "support/TestSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace qm6::tool::testing {

struct Outcome {
    int exit = -1; // -1 when the tool could not be started or did not exit
    std::string out;
    std::string err;
};

// Runs `qm6 args...` with `input` as its standard input; the files it needs
// are kept in dir.
inline Outcome RunTool(const std::filesystem::path& dir, const std::vector<std::string>& args,
                       const std::string& input = "") {
    const std::filesystem::path in = dir / "stdin", out = dir / "stdout", err = dir / "stderr";
    test::WriteFile(in, input);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> all{QM6_TOOL};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    Outcome run;
    pid_t pid = 0;
    if (posix_spawn(&pid, QM6_TOOL, &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = test::ReadFile(out);
    run.err = test::ReadFile(err);
    return run;
}

} // namespace qm6::tool::testing
