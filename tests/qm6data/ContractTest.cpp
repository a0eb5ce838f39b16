// The per-thread parts of the contract: services and the status handler.

#include "contract/DataStatus.h"
#include "contract/ListService.h"
#include "contract/LookupService.h"
#include "contract/RuleService.h"

#include <gtest/gtest.h>
#include <thread>

namespace qm6::data {
namespace {

TEST(Services, OneOfEachPerThreadSharedByEveryCaller) {
    const auto rules = RuleService::Get();
    EXPECT_EQ(RuleService::Get(), rules);
    EXPECT_EQ(LookupService::Get(), LookupService::Get());
    EXPECT_EQ(ListService::Get(), ListService::Get());
    const RuleService* other = nullptr;
    std::thread([&] { other = RuleService::Get().get(); }).join();
    EXPECT_NE(other, rules.get());
}

TEST(DataStatusShow, CallsTheHandlerInstalledOnThisThread) {
    std::vector<std::string> shown;
    SetStatusHandler([&](const DataStatus& s) {
        shown.push_back(std::to_string(s.Code()) + ":" + s.Message());
    });
    DataStatus status(0, "Control data object not set.");
    status.Show();
    bool otherThreadCalledIt = false;
    std::thread([&] {
        testing::internal::CaptureStderr();
        status.Show(); // no handler on this thread: goes to standard error
        otherThreadCalledIt =
            testing::internal::GetCapturedStderr().find("not set") == std::string::npos;
    }).join();
    SetStatusHandler(nullptr);
    EXPECT_EQ(shown, (std::vector<std::string>{"0:Control data object not set."}));
    EXPECT_FALSE(otherThreadCalledIt);
}

} // namespace
} // namespace qm6::data
