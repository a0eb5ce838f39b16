#include "qm6data/testing/RecordingListSource.h"

#include <algorithm>

namespace qm6::data::testing {

RecordingListSource::RecordingListSource(std::shared_ptr<const ListSource> inner)
    : inner_(std::move(inner)) {}

vb::Array2D RecordingListSource::GetList(int32_t listNumber) const {
    {
        const std::lock_guard lock(mutex_);
        reads_.push_back({"GetList", listNumber, 0});
    }
    return inner_ ? inner_->GetList(listNumber) : vb::Array2D();
}

std::string RecordingListSource::GetListText(int32_t listNumber, int16_t code) const {
    {
        const std::lock_guard lock(mutex_);
        reads_.push_back({"GetListText", listNumber, code});
    }
    return inner_ ? inner_->GetListText(listNumber, code) : std::string();
}

std::vector<ListRead> RecordingListSource::Reads() const {
    const std::lock_guard lock(mutex_);
    return reads_;
}

int RecordingListSource::ReadCount(std::string_view name, int32_t listNumber) const {
    const std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(reads_.begin(), reads_.end(), [&](const ListRead& r) {
        return r.name == name && r.listNumber == listNumber;
    }));
}

void RecordingListSource::ClearReads() {
    const std::lock_guard lock(mutex_);
    reads_.clear();
}

ScopedRecordingLists::ScopedRecordingLists()
    : previous_(InstalledListSource()), source_(std::make_shared<RecordingListSource>(previous_)) {
    InstallListSource(source_);
}

ScopedRecordingLists::~ScopedRecordingLists() {
    InstallListSource(previous_);
}

} // namespace qm6::data::testing
