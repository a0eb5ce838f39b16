// Several processes writing one hive at once, a writer killed in the middle
// of its work, and the file locks that keep other processes from treating a
// hive in use as free.

#include "HiveFixture.h"
#include "platform/registry/Hive.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
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
    // With `wait`, the writer makes its first write only after Start().
    Writer(const std::string& tag, long count, bool wait = false) {
        int fds[2], in[2];
        if (pipe(fds) != 0 || pipe(in) != 0)
            throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        for (int fd : {fds[0], fds[1], in[0], in[1]})
            posix_spawn_file_actions_addclose(&actions, fd);
        std::string program = QM6_REG_WRITER, countText = std::to_string(count), mode = "wait";
        char* argv[] = {program.data(), const_cast<char*>(tag.c_str()), countText.data(),
                        wait ? mode.data() : nullptr, nullptr};
        int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        close(in[0]);
        out_ = fds[0];
        in_ = in[1];
        if (rc != 0)
            throw std::runtime_error("cannot start " + program);
    }
    ~Writer() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            Wait();
        }
        close(out_);
        close(in_);
    }

    void Start() { EXPECT_EQ(write(in_, "\n", 1), 1); }

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
    int out_ = -1, in_ = -1;
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
    // The writers start together, so that their writes overlap from the
    // first on: the first eight of each race to create the same keys.
    constexpr int kWriters = 4;
    constexpr long kWrites = 150;
    std::vector<std::unique_ptr<Writer>> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.push_back(std::make_unique<Writer>("P" + std::to_string(w), kWrites, true));
    for (auto& writer : writers)
        writer->Start();
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

// Whether another process finds a lock of this one on the bytes of `file`
// that SQLite locks: the shared range (a reader's lock) and the reserved
// byte (a writer's). A connection holds them while it is in a transaction;
// they are what keeps other processes from writing under a read, and from
// taking a running writer's journal for the remains of a crash.
bool LockHeld(const std::filesystem::path& file, off_t start, off_t length) {
    pid_t pid = fork();
    if (pid == 0) {
        // Only async-signal-safe calls in the child of a threaded process.
        int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
        struct flock probe = {};
        probe.l_type = F_WRLCK;
        probe.l_whence = SEEK_SET;
        probe.l_start = start;
        probe.l_len = length;
        if (fd < 0 || fcntl(fd, F_GETLK, &probe) != 0)
            _exit(2);
        _exit(probe.l_type == F_UNLCK ? 0 : 1);
    }
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 2) << "the probe failed";
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

constexpr off_t kReservedByte = 0x40000001; // the pending byte + 1
constexpr off_t kSharedRange = 0x40000002;

TEST_F(HiveTest, ConnectingThreadKeepsTheLocksOfATransaction) {
    Put("Software\\Locks", "main", "1");

    // Other threads make their first connections to the same file while the
    // main thread is inside a write transaction: checking a hive file before
    // SQLite opens it must not close a descriptor of it, since on Linux that
    // drops every lock the process holds on the file.
    const std::string path = detail::HivePath(detail::HiveRoot::CurrentUser);
    bool sharedInside = false, reservedInside = false;
    EXPECT_EQ(detail::Hive::Run(path, detail::HiveRoot::CurrentUser, detail::Txn::Write,
                                [&](detail::Hive& hive) {
                                    detail::Statement s(hive, "UPDATE keys SET last_write = "
                                                              "last_write + 1 WHERE id = 1");
                                    EXPECT_EQ(s.Step(), SQLITE_DONE);
                                    // Readers go on reading what was committed.
                                    EXPECT_EQ(GetElsewhere("Software\\Locks", "main"), "1");
                                    sharedInside = LockHeld(HivePath(), kSharedRange, 510);
                                    reservedInside = LockHeld(HivePath(), kReservedByte, 1);
                                    return long(ERROR_SUCCESS);
                                }),
              ERROR_SUCCESS);
    EXPECT_TRUE(sharedInside);
    EXPECT_TRUE(reservedInside);
    // Between transactions a connection holds nothing.
    EXPECT_FALSE(LockHeld(HivePath(), kReservedByte, 510 + 1));

    {
        Writer writer("W", 1);
        EXPECT_EQ(writer.Read().size(), 1u);
        int status = writer.Wait();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    Put("Software\\Locks", "after", "2");
    EXPECT_EQ(Get(Path(0), "W-0"), Written("W", 0));
    EXPECT_EQ(Get("Software\\Locks", "after"), "2");
}

} // namespace
} // namespace qm6::reg::test
