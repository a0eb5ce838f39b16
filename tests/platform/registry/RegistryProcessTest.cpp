// Several processes writing one hive at once, and a writer killed in the
// middle of its work.

#include "HiveFixture.h"

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace qm6::reg::test {
namespace {

// A running qm6_reg_writer whose stdout the test reads.
class Writer {
public:
    Writer(const std::string& tag, long count) {
        int fds[2];
        if (pipe(fds) != 0)
            throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
        std::string program = QM6_REG_WRITER, countText = std::to_string(count);
        char* argv[] = {program.data(), const_cast<char*>(tag.c_str()), countText.data(), nullptr};
        int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        out_ = fds[0];
        if (rc != 0)
            throw std::runtime_error("cannot start " + program);
    }
    ~Writer() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            Wait();
        }
        close(out_);
    }

    // Reads reported writes until `until` of them are in, or the pipe ends.
    const std::vector<long>& Read(size_t until = SIZE_MAX) {
        char buf[4096];
        while (reported_.size() < until) {
            ssize_t got = read(out_, buf, sizeof buf);
            if (got <= 0)
                break;
            pending_.append(buf, size_t(got));
            for (size_t nl; (nl = pending_.find('\n')) != std::string::npos;
                 pending_.erase(0, nl + 1))
                reported_.push_back(std::stol(pending_.substr(0, nl)));
        }
        return reported_;
    }
    void Kill() { kill(pid_, SIGKILL); }
    int Wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return status;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string pending_;
    std::vector<long> reported_;
};

// The bytes the writer stores for its i-th value: the text and its NUL.
std::string Written(const std::string& tag, long i) {
    return tag + ":" + std::to_string(i) + std::string(1, '\0');
}

std::string Path(long i) {
    return "Software\\Writers\\G" + std::to_string(i % 8);
}

TEST_F(HiveTest, ConcurrentWritersLoseNothing) {
    constexpr int kWriters = 4;
    constexpr long kWrites = 500;
    std::vector<std::unique_ptr<Writer>> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.push_back(std::make_unique<Writer>("P" + std::to_string(w), kWrites));
    for (int w = 0; w < kWriters; ++w) {
        EXPECT_EQ(writers[size_t(w)]->Read().size(), size_t(kWrites)) << w;
        int status = writers[size_t(w)]->Wait();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << w;
    }
    uint32_t total = 0;
    for (long g = 0; g < 8; ++g) {
        Key key;
        KeyInfo info;
        ASSERT_EQ(OpenKey(HKEY_CURRENT_USER, Path(g), KEY_READ, key), 0);
        ASSERT_EQ(QueryInfoKey(key, info), 0);
        total += info.values;
    }
    EXPECT_EQ(total, uint32_t(kWriters * kWrites));
    for (int w = 0; w < kWriters; ++w) {
        const std::string tag = "P" + std::to_string(w);
        for (long i = 0; i < kWrites; ++i)
            ASSERT_EQ(Get(Path(i), tag + "-" + std::to_string(i)), Written(tag, i));
    }
}

TEST_F(HiveTest, ConcurrentThreadsLoseNothing) {
    // Threads of one process share the file locks and the log index, but each
    // has its own connection.
    constexpr int kThreads = 4;
    constexpr long kWrites = 100;
    std::vector<std::thread> threads;
    std::vector<long> failures(kThreads, 0);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &failures] {
            const std::string tag = "T" + std::to_string(t);
            for (long i = 0; i < kWrites; ++i) {
                Key key;
                std::vector<uint8_t> data = Bytes(tag + ":" + std::to_string(i));
                if (CreateKey(HKEY_CURRENT_USER, Path(i), KEY_WRITE, nullptr, key) !=
                        ERROR_SUCCESS ||
                    SetValue(key, tag + "-" + std::to_string(i), REG_SZ, data) != ERROR_SUCCESS)
                    ++failures[size_t(t)];
            }
            CloseThreadConnections();
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<long>(kThreads, 0));
    for (int t = 0; t < kThreads; ++t)
        for (long i = 0; i < kWrites; ++i)
            ASSERT_EQ(Get(Path(i), "T" + std::to_string(t) + "-" + std::to_string(i)),
                      "T" + std::to_string(t) + ":" + std::to_string(i));
}

TEST_F(HiveTest, KilledWriterLeavesEveryReportedWrite) {
    // Kill at a few points; each round adds to the same hive.
    for (size_t killAt : {1u, 40u, 300u}) {
        SCOPED_TRACE(killAt);
        const std::string tag = "K" + std::to_string(killAt);
        std::vector<long> reported;
        {
            Writer writer(tag, 1000000);
            ASSERT_GE(writer.Read(killAt).size(), killAt);
            writer.Kill();
            reported = writer.Read(); // whatever was reported before it died
            int status = writer.Wait();
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        }
        CloseThreadConnections();
        Key root;
        ASSERT_EQ(OpenKey(HKEY_CURRENT_USER, "", KEY_READ, root), 0);
        for (long i : reported)
            ASSERT_EQ(Get(Path(i), tag + "-" + std::to_string(i)), Written(tag, i));
        // And the hive still takes writes.
        Put("Software\\After", tag, "ok");
    }
}

} // namespace
} // namespace qm6::reg::test
