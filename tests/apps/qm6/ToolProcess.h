#pragma once

// Runs the built qm6 tool (QM6_TOOL, defined by the test target) as a
// process: standard input from a file, standard output and error captured in
// files of a folder, and the exit code; if need be as another user.

#include "support/TestSupport.h"

#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace qm6::tool::testing {

struct Outcome {
    int exit = -1; // -1 when the tool could not be started or did not exit
    std::string out;
    std::string err;
    bool operator==(const Outcome&) const = default;
};

// How a failed comparison shows a run.
inline void PrintTo(const Outcome& run, std::ostream* os) {
    *os << "exit " << run.exit << ", out \"" << run.out << "\", err \"" << run.err << "\"";
}

// Starts `qm6 args...` without waiting for it, with `input` as its standard
// input and its output kept in files of `dir`. With `asUser`, the child
// takes that user id and group id (and no other groups) before the tool
// starts, so that nothing the tool opens is opened with the caller's rights.
inline pid_t StartTool(const std::filesystem::path& dir, const std::vector<std::string>& args,
                       std::optional<uid_t> asUser = std::nullopt, const std::string& input = "") {
    const std::filesystem::path in = dir / "stdin", out = dir / "stdout", err = dir / "stderr";
    test::WriteFile(in, input);
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

// Waits for a tool started by StartTool; `exit` is -1 when a signal ended it
// (`signal` then names it) or it could not be started.
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

// Runs `qm6 args...` with `input` as its standard input; the files it needs
// are kept in dir.
inline Outcome RunTool(const std::filesystem::path& dir, const std::vector<std::string>& args,
                       const std::string& input = "") {
    return WaitTool(dir, StartTool(dir, args, std::nullopt, input));
}

// A refused command: exit code 1, nothing on standard output and an error
// that holds `part`.
inline void ExpectRefused(const Outcome& run, std::string_view part) {
    EXPECT_EQ(run.exit, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(part), std::string::npos) << run.err;
}

} // namespace qm6::tool::testing
