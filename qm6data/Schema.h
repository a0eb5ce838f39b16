#pragma once

#include <cstdint>

namespace qm6::data::sqlite {

// Marks a file as a qm6data database ("QM6D" in PRAGMA application_id).
constexpr int32_t kApplicationId = 0x514D3644;
// The layout this library reads and writes (PRAGMA user_version).
constexpr int32_t kSchemaVersion = 1;

// Creates the tables of an empty database and stamps it with the two marks.
extern const char* const kSchemaSql;

} // namespace qm6::data::sqlite
