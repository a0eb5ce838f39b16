#pragma once

// Runs the built qm6 tool (QM6_TOOL, defined by the test target) as a
// process: standard input from a file, standard output and error captured in
// files of a folder, and the exit code.

#include "support/TestSupport.h"

#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
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

// Starts `qm6 args...` without waiting for it, standard input empty and
// output kept as RunTool keeps it. With `asUser`, the child takes that user
// id and group id (and no other groups) before the tool starts, so that
// nothing the tool opens is opened with the caller's rights.
inline pid_t StartTool(const std::filesystem::path& dir, const std::vector<std::string>& args,
                       std::optional<uid_t> asUser = std::nullopt) {
    const std::filesystem::path in = dir / "stdin", out = dir / "stdout", err = dir / "stderr";
    test::WriteFile(in, "");
    std::vector<std::string> all{QM6_TOOL};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        int fds[3] = {open(in.c_str(), O_RDONLY),
                      open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644),
                      open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)};
        for (int i = 0; i < 3; ++i) {
            if (fds[i] < 0 || dup2(fds[i], i) < 0)
                _exit(126);
        }
        if (asUser &&
            (setgroups(0, nullptr) != 0 || setgid(gid_t(*asUser)) != 0 || setuid(*asUser) != 0))
            _exit(126);
        execve(argv[0], argv.data(), environ);
        _exit(127);
    }
    return pid;
}

// Waits for a tool started by StartTool; `exit` is -1 when a signal ended it.
inline Outcome WaitTool(const std::filesystem::path& dir, pid_t pid, int* signal = nullptr) {
    Outcome run;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid) {
        run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (signal)
            *signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
    run.out = test::ReadFile(dir / "stdout");
    run.err = test::ReadFile(dir / "stderr");
    return run;
}

} // namespace qm6::tool::testing
