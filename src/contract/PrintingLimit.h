#pragma once

#include "contract/DataStatus.h"
#include "platform/vb/Variant.h"

#include <cstdint>
#include <string>

namespace qm6::data {

class Connection;

// One printing limit of a rule owner: the amount at which it applies, the
// message shown then, and whether the job is stopped.
class PrintingLimit : public vb::Object {
public:
    // Limit types whose amount is money (a Currency with four decimals); every
    // other type counts something and holds a 32-bit whole number.
    static bool IsMoneyType(int32_t limitType) { return limitType == 3 || limitType == 4; }

    // The stored identifier; meaningful only when IsNew is false.
    int32_t LimitId() const { return limitId_; }
    // True until the record has been stored (or after it was deleted).
    bool IsNew() const { return limitId_ == 0; }

    int32_t LimitType() const { return limitType_; }
    void SetLimitType(int32_t limitType) { limitType_ = limitType; }
    const vb::Variant& LimitValue() const { return limitValue_; }
    void SetLimitValue(vb::Variant value) { limitValue_ = std::move(value); }
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }
    const std::string& MessageText() const { return messageText_; }
    void SetMessageText(std::string text) { messageText_ = std::move(text); }
    bool StopJob() const { return stopJob_; }
    void SetStopJob(bool stop) { stopJob_ = stop; }
    int32_t ParentId() const { return parentId_; }
    void SetParentId(int32_t parentId) { parentId_ = parentId; }
    int32_t RulePriority() const { return rulePriority_; }
    void SetRulePriority(int32_t rulePriority) { rulePriority_ = rulePriority; }

    // Inserts the record when new (after which IsNew is false and LimitId holds
    // the stored id), updates it otherwise.
    Status Save(Connection& data);
    // Deletes the stored record; the record then counts as new again.
    Status Delete(Connection& data);

    // The stored version the record was loaded or last saved with; a save or
    // delete is refused as a conflict when the stored record has another.
    int64_t RowVersion() const { return rowVersion_; }

    // For the store.
    void MarkStored(int32_t limitId, int64_t rowVersion = 1) {
        limitId_ = limitId;
        rowVersion_ = rowVersion;
    }
    void MarkNew() {
        limitId_ = 0;
        rowVersion_ = 0;
    }

private:
    int32_t limitId_ = 0;
    int64_t rowVersion_ = 0;
    int32_t limitType_ = 0;
    vb::Variant limitValue_{int32_t{0}};
    std::string title_;
    std::string messageText_;
    bool stopJob_ = false;
    int32_t parentId_ = 0;
    int32_t rulePriority_ = 0;
};

} // namespace qm6::data
