// The registry key object against bare SQLite on the same hive file: reading
// a value with GetValueOrDefault, and writing one with SetCreateValue, each
// next to one prepared SQLite statement per value doing the same work; and
// listing the names of a key of 10,000 values with EnumerateValues next to
// one SQLite query of the same rows, and of a key of 100,000 values next to
// the listing of 10,000 (a listing that takes one pass makes that about 10,
// as for the bare query).

#include "RatioReporter.h"

#include "platform/registry/Registry.h"
#include "platform/vb/Variant.h"
#include "registry/clsRegistry.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kValues = 64;
const char* const kSection = "Software\\Quillmeter 6\\Bench";
const char* const kLarge[2] = {"Software\\Quillmeter 6\\Bench\\Large10k",
                               "Software\\Quillmeter 6\\Bench\\Large100k"};
constexpr int kLargeValues[2] = {10000, 100000};

std::string Folder() {
    static const std::string folder = [] {
        std::string tmpl = (std::filesystem::temp_directory_path() / "qm6bench-XXXXXX").string();
        if (mkdtemp(tmpl.data()) == nullptr)
            throw std::runtime_error("cannot make a temporary folder");
        setenv("QM6_REGISTRY_DIR", tmpl.c_str(), 1);
        return tmpl;
    }();
    return folder;
}

std::string Name(int i) {
    return "Value" + std::to_string(i);
}

qm6::clsRegistry Object(const char* section = kSection) {
    qm6::clsRegistry r;
    r.ClassKey(static_cast<int32_t>(qm6::reg::HKEY_CURRENT_USER));
    r.SectionKey(section);
    r.ValueType(qm6::reg::REG_SZ);
    return r;
}

// A bare connection to the same hive file doing the same work with one
// prepared statement per value on the hive's own tables.
class BareStore {
public:
    BareStore() {
        std::string path = Folder() + "/HKCU.db";
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open the hive file");
        sqlite3_busy_timeout(db_, 5000);
        // The hive's own connections keep SQLite's rollback journal and sync
        // at commits as synchronous=NORMAL does; the baseline does the same.
        if (sqlite3_exec(db_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot set the baseline's synchronous mode");
        key_ = KeyId({"SOFTWARE", "QUILLMETER 6", "BENCH"});
        large_[0] = KeyId({"SOFTWARE", "QUILLMETER 6", "BENCH", "LARGE10K"});
        large_[1] = KeyId({"SOFTWARE", "QUILLMETER 6", "BENCH", "LARGE100K"});
        sqlite3_prepare_v2(db_, "SELECT data FROM vals WHERE key = ?1 AND folded = ?2", -1,
                           &select_, nullptr);
        sqlite3_prepare_v2(db_, "SELECT name FROM vals WHERE key = ?1 ORDER BY seq", -1, &list_,
                           nullptr);
        sqlite3_prepare_v2(db_, "UPDATE vals SET data = ?3 WHERE key = ?1 AND folded = ?2", -1,
                           &update_, nullptr);
    }
    ~BareStore() {
        sqlite3_finalize(list_);
        sqlite3_finalize(select_);
        sqlite3_finalize(update_);
        sqlite3_close(db_);
    }

    std::string Read(const std::string& folded) {
        sqlite3_bind_int64(select_, 1, key_);
        sqlite3_bind_text(select_, 2, folded.data(), static_cast<int>(folded.size()),
                          SQLITE_STATIC);
        std::string value;
        if (sqlite3_step(select_) == SQLITE_ROW) {
            auto* p = static_cast<const char*>(sqlite3_column_blob(select_, 0));
            value.assign(p, static_cast<size_t>(sqlite3_column_bytes(select_, 0)));
        }
        sqlite3_reset(select_);
        return value;
    }

    // The names of the values of a large key, in their order.
    std::vector<std::string> List(int which) {
        std::vector<std::string> names;
        sqlite3_bind_int64(list_, 1, large_[which]);
        while (sqlite3_step(list_) == SQLITE_ROW) {
            auto* p = reinterpret_cast<const char*>(sqlite3_column_text(list_, 0));
            names.emplace_back(p, static_cast<size_t>(sqlite3_column_bytes(list_, 0)));
        }
        sqlite3_reset(list_);
        return names;
    }

    bool Write(const std::string& folded, const std::string& value) {
        sqlite3_bind_int64(update_, 1, key_);
        sqlite3_bind_text(update_, 2, folded.data(), static_cast<int>(folded.size()),
                          SQLITE_STATIC);
        sqlite3_bind_blob(update_, 3, value.data(), static_cast<int>(value.size() + 1),
                          SQLITE_STATIC);
        bool done = sqlite3_step(update_) == SQLITE_DONE && sqlite3_changes(db_) == 1;
        sqlite3_reset(update_);
        return done;
    }

private:
    // The id of a key, found by walking its path (names as they compare)
    // from the root.
    sqlite3_int64 KeyId(std::initializer_list<const char*> path) {
        sqlite3_stmt* find = nullptr;
        sqlite3_prepare_v2(db_, "SELECT id FROM keys WHERE parent = ?1 AND folded = ?2", -1,
                           &find, nullptr);
        sqlite3_int64 id = 1;
        for (const char* part : path) {
            sqlite3_bind_int64(find, 1, id);
            sqlite3_bind_text(find, 2, part, -1, SQLITE_STATIC);
            if (sqlite3_step(find) != SQLITE_ROW)
                throw std::runtime_error("the benchmark's key is missing");
            id = sqlite3_column_int64(find, 0);
            sqlite3_reset(find);
        }
        sqlite3_finalize(find);
        return id;
    }

    sqlite3* db_ = nullptr;
    sqlite3_int64 key_ = 0;
    sqlite3_int64 large_[2] = {0, 0};
    sqlite3_stmt* select_ = nullptr;
    sqlite3_stmt* list_ = nullptr;
    sqlite3_stmt* update_ = nullptr;
};

std::string Folded(int i) {
    return "VALUE" + std::to_string(i);
}

// A key of `count` values, made in one transaction.
void MakeLargeKey(const char* section, int count) {
    using namespace qm6::reg;
    Transaction txn;
    Key key;
    if (CreateTransaction(txn) != ERROR_SUCCESS ||
        CreateKeyTransacted(HKEY_CURRENT_USER, section, KEY_SET_VALUE, nullptr, key, txn) !=
            ERROR_SUCCESS)
        throw std::runtime_error("cannot make the large key");
    const std::vector<uint8_t> data{'x', 0};
    for (int i = 0; i < count; ++i) {
        if (SetValue(key, Name(i), REG_SZ, data) != ERROR_SUCCESS)
            throw std::runtime_error("cannot fill the large key");
    }
    if (CommitTransaction(txn) != ERROR_SUCCESS)
        throw std::runtime_error("cannot commit the large key");
}

void Prepare() {
    static bool done = [] {
        Folder(); // points the registry at the benchmark's own hive folder
        auto r = Object();
        for (int i = 0; i < kValues; ++i) {
            std::string error;
            if (!r.SetCreateValue(Name(i), qm6::vb::Variant("setting " + std::to_string(i)), false,
                                  &error))
                throw std::runtime_error("cannot prepare the hive: " + error);
        }
        for (int i = 0; i < 2; ++i)
            MakeLargeKey(kLarge[i], kLargeValues[i]);
        // A hive mostly sits unchanged between the calls that read it; reads
        // through a handle check such a file through the descriptor the
        // registry keeps, and look its path up again only within a few
        // seconds of a change to the file. The file made just now is left to
        // reach that state, so that the read measures it.
        std::this_thread::sleep_for(std::chrono::seconds(3));
        return true;
    }();
    (void)done;
}

void BM_GetValueOrDefault(benchmark::State& state) {
    Prepare();
    auto r = Object();
    const qm6::vb::Variant fallback("");
    if (r.GetValueOrDefault(Name(1), fallback) != qm6::vb::Variant("setting 1"))
        state.SkipWithError("the hive does not answer the value written");
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(r.GetValueOrDefault(Name(i), fallback));
        i = (i + 1) % kValues;
    }
}

void BM_BareSqliteRead(benchmark::State& state) {
    Prepare();
    BareStore bare;
    if (bare.Read(Folded(1)) != std::string("setting 1", 10))
        state.SkipWithError("the bare statement does not find the value");
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(bare.Read(Folded(i)));
        i = (i + 1) % kValues;
    }
}

void Enumerate(benchmark::State& state, int which) {
    Prepare();
    auto r = Object(kLarge[which]);
    std::vector<std::string> names;
    int32_t count = 0;
    if (!r.EnumerateValues(names, count) || count != kLargeValues[which])
        state.SkipWithError("the large key does not list its values");
    for (auto _ : state) {
        r.EnumerateValues(names, count);
        benchmark::DoNotOptimize(names.data());
    }
}

void BM_EnumerateValues10k(benchmark::State& state) {
    Enumerate(state, 0);
}

void BM_EnumerateValues100k(benchmark::State& state) {
    Enumerate(state, 1);
}

void BareList(benchmark::State& state, int which) {
    Prepare();
    BareStore bare;
    if (bare.List(which).size() != size_t(kLargeValues[which]))
        state.SkipWithError("the bare query does not list the values");
    for (auto _ : state) {
        auto names = bare.List(which);
        benchmark::DoNotOptimize(names.data());
    }
}

void BM_BareSqliteList10k(benchmark::State& state) {
    BareList(state, 0);
}

void BM_BareSqliteList100k(benchmark::State& state) {
    BareList(state, 1);
}

// Each write stores data the value did not hold before: SQLite skips
// rewriting a row whose bytes are unchanged, and the baseline would then
// measure a commit with nothing in it.
std::string Changed(long n) {
    return "changed " + std::to_string(n);
}

void BM_SetCreateValue(benchmark::State& state) {
    Prepare();
    auto r = Object();
    static long n = 0;
    int i = 0;
    for (auto _ : state) {
        if (!r.SetCreateValue(Name(i), qm6::vb::Variant(Changed(++n)), false)) {
            state.SkipWithError("SetCreateValue failed");
            break;
        }
        i = (i + 1) % kValues;
    }
}

void BM_BareSqliteWrite(benchmark::State& state) {
    Prepare();
    BareStore bare;
    static long n = 0;
    int i = 0;
    for (auto _ : state) {
        if (!bare.Write(Folded(i), Changed(++n))) {
            state.SkipWithError("the bare update failed");
            break;
        }
        i = (i + 1) % kValues;
    }
}

} // namespace

BENCHMARK(BM_GetValueOrDefault);
BENCHMARK(BM_BareSqliteRead);
BENCHMARK(BM_EnumerateValues10k);
BENCHMARK(BM_BareSqliteList10k);
BENCHMARK(BM_EnumerateValues100k);
BENCHMARK(BM_BareSqliteList100k);
// The writes come last: they leave the file freshly changed, which the
// reads would then find.
BENCHMARK(BM_SetCreateValue);
BENCHMARK(BM_BareSqliteWrite);

int main(int argc, char** argv) {
    qm6::bench::RatioReporter reporter;
    reporter.Compare("BM_GetValueOrDefault", "BM_BareSqliteRead");
    reporter.Compare("BM_SetCreateValue", "BM_BareSqliteWrite");
    reporter.Compare("BM_EnumerateValues10k", "BM_BareSqliteList10k");
    reporter.Compare("BM_EnumerateValues100k", "BM_EnumerateValues10k");
    reporter.Compare("BM_EnumerateValues100k", "BM_BareSqliteList100k");
    reporter.Compare("BM_BareSqliteList100k", "BM_BareSqliteList10k");
    int rc = qm6::bench::RunWithRatios(argc, argv, reporter);
    std::error_code ec;
    std::filesystem::remove_all(Folder(), ec);
    return rc;
}
