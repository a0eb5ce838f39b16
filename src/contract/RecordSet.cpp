#include "contract/RecordSet.h"

#include <algorithm>

namespace qm6::data {

namespace {

constexpr int kNoCurrentRecord = 3021;
constexpr int kItemNotFound = 3265;
constexpr int kClosed = 3704;

bool SameName(std::string_view a, std::string_view b) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return lower(static_cast<unsigned char>(x)) == lower(static_cast<unsigned char>(y));
           });
}

} // namespace

RecordSet::RecordSet(std::vector<std::string> fieldNames, std::vector<std::vector<vb::Variant>> rows)
    : names_(std::move(fieldNames)), rows_(std::move(rows)) {
    for (auto& row : rows_) {
        row.resize(names_.size());
    }
}

void RecordSet::RequireOpen() const {
    if (!open_) {
        throw RecordSetError(kClosed, "Operation is not allowed when the object is closed.");
    }
}

int32_t RecordSet::RecordCount() const {
    RequireOpen();
    return static_cast<int32_t>(rows_.size());
}

// Only an empty set is before its first record: moving is forward only and
// starts on the first record.
bool RecordSet::Bof() const {
    RequireOpen();
    return rows_.empty();
}

bool RecordSet::Eof() const {
    RequireOpen();
    return position_ >= rows_.size();
}

void RecordSet::MoveFirst() {
    RequireOpen();
    position_ = 0;
}

void RecordSet::MoveNext() {
    RequireOpen();
    if (position_ >= rows_.size()) {
        throw RecordSetError(kNoCurrentRecord,
                             "Either BOF or EOF is True, or the current record has been deleted.");
    }
    ++position_;
}

Field RecordSet::Fields(std::string_view name) const {
    RequireOpen();
    for (size_t i = 0; i < names_.size(); ++i) {
        if (SameName(names_[i], name)) {
            if (position_ >= rows_.size()) {
                throw RecordSetError(
                    kNoCurrentRecord,
                    "Either BOF or EOF is True, or the current record has been deleted.");
            }
            return Field{names_[i], rows_[position_][i]};
        }
    }
    throw RecordSetError(kItemNotFound, "Item cannot be found in the collection corresponding to "
                                        "the requested name or ordinal.");
}

void RecordSet::Close() {
    RequireOpen();
    open_ = false;
    rows_.clear();
    position_ = 0;
}

} // namespace qm6::data
