#pragma once

#include "platform/vb/Variant.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qm6::data {

// A misuse of a record set, with the number the record-set component raises
// for it: 3021 no current record, 3265 no field of that name, 3704 closed.
class RecordSetError : public std::runtime_error {
public:
    RecordSetError(int number, const std::string& message)
        : std::runtime_error(message), number_(number) {}
    int Number() const noexcept { return number_; }

private:
    int number_;
};

// One field of the current record.
struct Field {
    std::string Name;
    vb::Variant Value;
};

// A forward-readable set of records handed out by the store, already read in
// full. A set with records starts on the first; an empty one is at BOF and EOF.
class RecordSet : public vb::Object {
public:
    RecordSet(std::vector<std::string> fieldNames, std::vector<std::vector<vb::Variant>> rows);

    int32_t RecordCount() const;
    // BOF and EOF of the record-set component; EOF is a macro of the C
    // library, so both are spelt Bof and Eof.
    bool Bof() const;
    bool Eof() const;
    void MoveFirst();
    void MoveNext();
    // The named field (names compare without regard to ASCII case) of the
    // current record.
    Field Fields(std::string_view name) const;
    void Close();
    bool IsOpen() const { return open_; }

private:
    void RequireOpen() const;

    std::vector<std::string> names_;
    std::vector<std::vector<vb::Variant>> rows_;
    size_t position_ = 0;
    bool open_ = true;
};

} // namespace qm6::data
