#pragma once

// The store's layout as a list of steps, one per schema version. Step N takes
// a store of version N - 1 to version N, and a new store runs every step from
// the first, so that a new store and an upgraded one are laid out alike. A
// later layout adds a step at the end; a step once released never changes,
// since stores made with it exist.
//
// The statements are written in the SQL that every engine of the store
// accepts. Where the engines differ they name a placeholder that each
// engine's Dialect fills in:
//
//   {key}    an integer primary key numbered by the engine itself
//   {money}  an integer of 64 bits: an amount of money in ten-thousandths
//
// Marking a store as ours and recording its version are each engine's own
// (SQLite keeps them in the file's header).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm6::data::engine {
class Engine;
}

namespace qm6::data::schema {

struct Step {
    // The version a store has once the step is applied.
    int32_t version;
    std::vector<std::string_view> statements;
};

// Every step, in order; the last one's version is the current version.
const std::vector<Step>& Steps();
int32_t CurrentVersion();

// What an engine writes for each placeholder.
struct Dialect {
    std::string_view key;
    std::string_view money;
};

// A statement of the steps in one engine's SQL.
std::string Render(std::string_view statement, const Dialect& dialect);

// Lays out an empty store (from 0), or takes an older one to the current
// version, inside the caller's transaction: runs the steps after version
// from, calling mark with each step's version once it is applied (the engine
// records it), then onStep when there is one.
void Apply(engine::Engine& engine, int32_t from, const Dialect& dialect,
           const std::function<void(int32_t)>& mark, const std::function<void(int32_t)>& onStep);

} // namespace qm6::data::schema

namespace qm6::data::sqlite {

// Marks a file as a qm6data store ("QM6D" in PRAGMA application_id); the
// schema version is in PRAGMA user_version.
constexpr int32_t kApplicationId = 0x514D3644;

const schema::Dialect& Dialect();

} // namespace qm6::data::sqlite

namespace qm6::data::postgres {

// On a server the marks are the table qm6data_store: the application id (the
// same as a file's) and the schema version, in one row.
const schema::Dialect& Dialect();

} // namespace qm6::data::postgres
