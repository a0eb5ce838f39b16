#include "contract/ListService.h"
#include "contract/LookupService.h"
#include "contract/RuleService.h"

#include <mutex>

namespace qm6::data {

namespace {

template <typename T> std::shared_ptr<T> PerThread() {
    thread_local std::shared_ptr<T> instance = std::make_shared<T>();
    return instance;
}

std::mutex gListMutex;
std::shared_ptr<const ListSource> gListSource;

} // namespace

std::shared_ptr<RuleService> RuleService::Get() {
    return PerThread<RuleService>();
}

std::shared_ptr<LookupService> LookupService::Get() {
    return PerThread<LookupService>();
}

std::shared_ptr<ListService> ListService::Get() {
    return PerThread<ListService>();
}

std::shared_ptr<const ListSource> InstallListSource(std::shared_ptr<const ListSource> source) {
    const std::lock_guard lock(gListMutex);
    std::swap(gListSource, source);
    return source;
}

std::shared_ptr<const ListSource> InstalledListSource() {
    const std::lock_guard lock(gListMutex);
    return gListSource;
}

vb::Array2D ListService::GetList(int32_t listNumber) const {
    const auto source = InstalledListSource();
    return source ? source->GetList(listNumber) : vb::Array2D();
}

std::string ListService::GetListText(int32_t listNumber, int16_t code) const {
    const auto source = InstalledListSource();
    return source ? source->GetListText(listNumber, code) : std::string();
}

} // namespace qm6::data
