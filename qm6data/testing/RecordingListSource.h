#pragma once

#include "contract/ListSource.h"

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace qm6::data::testing {

// One read of a fixed list: "GetList" or "GetListText", the list's number,
// and for GetListText the code asked for (0 for GetList).
struct ListRead {
    std::string name;
    int32_t listNumber = 0;
    int16_t code = 0;
    bool operator==(const ListRead&) const = default;
};

// A list source that answers from another (the fixed lists) and records
// every read in order. Lists take no connection, so tests install it for the
// process (ScopedRecordingLists) to count and order what an editor reads.
class RecordingListSource final : public ListSource {
public:
    explicit RecordingListSource(std::shared_ptr<const ListSource> inner);

    vb::Array2D GetList(int32_t listNumber) const override;
    std::string GetListText(int32_t listNumber, int16_t code) const override;

    std::vector<ListRead> Reads() const;
    // Reads of that name ("GetList" or "GetListText") of one list.
    int ReadCount(std::string_view name, int32_t listNumber) const;
    void ClearReads();

private:
    std::shared_ptr<const ListSource> inner_;
    mutable std::mutex mutex_;
    mutable std::vector<ListRead> reads_;
};

// Installs a recording source over the installed lists for its lifetime and
// puts the previous source back when it goes.
class ScopedRecordingLists {
public:
    ScopedRecordingLists();
    ~ScopedRecordingLists();
    ScopedRecordingLists(const ScopedRecordingLists&) = delete;
    ScopedRecordingLists& operator=(const ScopedRecordingLists&) = delete;

    RecordingListSource& Source() const { return *source_; }

private:
    std::shared_ptr<const ListSource> previous_;
    std::shared_ptr<RecordingListSource> source_;
};

} // namespace qm6::data::testing
