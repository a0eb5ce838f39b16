#include "ProfileTab.h"

namespace qm6::console {

ProfileTab::~ProfileTab() = default;

data::Status ProfileTab::Load(data::Connection& data, const PrinterProfile& profile) {
    loading_ = true;
    const data::Status status = loadState_.Note(LoadEditor(data, profile));
    loading_ = false;
    changes_ = false;
    EnableEditor(!LoadFailed());
    return status;
}

data::Status ProfileTab::Save(data::Connection& data, const PrinterProfile& profile) {
    if (LoadFailed())
        return LoadState::SaveRefusal();
    data::Status status = SaveEditor(data, profile);
    if (!status)
        changes_ = false;
    return status;
}

void ProfileTab::Changed() {
    if (loading_)
        return;
    changes_ = true;
    if (OnChanged)
        OnChanged();
}

} // namespace qm6::console
