// Several processes and threads writing one hive at once, a writer killed in
// the middle of its work, and the file locks that keep other processes from
// treating a hive in use as free.

#include "HiveFixture.h"
#include "platform/registry/Hive.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qm6::reg::test {
namespace {

// A running qm6_reg_writer whose reports the test reads from its stdout.
class Writer {
public:
    // With `wait`, the writer makes its first write only after Start().
    Writer(const std::string& tag, long count, bool wait = false) {
        int out[2], in[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(in, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
        const std::string countText = std::to_string(count);
        const char* argv[] = {QM6_REG_WRITER, tag.c_str(), countText.c_str(),
                              wait ? "wait" : nullptr, nullptr};
        pid_ = fork();
        if (pid_ == 0) { // only async-signal-safe calls in the child
            dup2(out[1], STDOUT_FILENO);
            dup2(in[0], STDIN_FILENO);
            execv(argv[0], const_cast<char* const*>(argv));
            _exit(127);
        }
        close(out[1]);
        close(in[0]);
        out_ = fdopen(out[0], "r");
        in_ = in[1];
    }
    ~Writer() {
        if (pid_ > 0) {
            Kill();
            Wait();
        }
        fclose(out_);
        close(in_);
    }

    void Start() { EXPECT_EQ(write(in_, "\n", 1), 1); }

    // Reads reported writes until `until` of them are in, or the pipe ends.
    const std::vector<long>& Read(size_t until = SIZE_MAX) {
        char line[32];
        while (reported_.size() < until && fgets(line, sizeof line, out_))
            reported_.push_back(std::atol(line));
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
    FILE* out_ = nullptr;
    int in_ = -1;
    std::vector<long> reported_;
};

bool ExitedWell(int status) {
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The bytes a writer stores for its i-th value: the text and its NUL.
std::string Written(const std::string& tag, long i) {
    return tag + ":" + std::to_string(i) + std::string(1, '\0');
}

std::string Path(long i) {
    return "Software\\Writers\\G" + std::to_string(i % 8);
}

TEST_F(HiveTest, ConcurrentProcessesAndThreadsLoseNothing) {
    // The processes start together with the threads, so that their writes
    // overlap from the first on: the first eight of each race to create the
    // same keys. Threads of one process share the file locks, but each has
    // its own connection.
    constexpr int kEach = 3;
    constexpr long kWrites = 120;
    std::vector<std::unique_ptr<Writer>> writers;
    for (int w = 0; w < kEach; ++w)
        writers.push_back(std::make_unique<Writer>("P" + std::to_string(w), kWrites, true));
    for (auto& writer : writers)
        writer->Start();
    std::vector<std::thread> threads;
    for (int t = 0; t < kEach; ++t) {
        threads.emplace_back([t] {
            const std::string tag = "T" + std::to_string(t);
            for (long i = 0; i < kWrites; ++i)
                Put(Path(i), tag + "-" + std::to_string(i), Written(tag, i));
            CloseThreadConnections();
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (auto& writer : writers) {
        EXPECT_EQ(writer->Read().size(), size_t(kWrites));
        EXPECT_TRUE(ExitedWell(writer->Wait()));
    }
    for (const char* kind : {"P", "T"})
        for (int w = 0; w < kEach; ++w)
            for (long i = 0; i < kWrites; ++i) {
                const std::string tag = kind + std::to_string(w);
                ASSERT_EQ(Get(Path(i), tag + "-" + std::to_string(i)), Written(tag, i));
            }
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
        for (long i : reported)
            ASSERT_EQ(Get(Path(i), tag + "-" + std::to_string(i)), Written(tag, i));
        Put("Software\\After", tag, "ok"); // and the hive still takes writes
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
}

} // namespace
} // namespace qm6::reg::test
