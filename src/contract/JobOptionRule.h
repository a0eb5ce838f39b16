#pragma once

#include "contract/DataStatus.h"
#include "platform/vb/Collection.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qm6::data {

class Connection;

// One job option of a rule owner. A rule record exists exactly when its option
// is on, so switching an option off deletes the record.
class JobOptionRule : public vb::Object {
public:
    // Option types. At most one of the two colour requirements is stored.
    enum OptionType : int32_t {
        ColorRequired = 0,
        MonochromeRequired = 1,
        DuplexRequired = 2,
        NUpRequired = 3,
        IgnoreAllLimits = 4,
        CustomFieldSelection = 5,
    };

    // True when the rule is that option of that owner.
    bool IsOption(int32_t optionType, int32_t rulePriority, int32_t parentId) const;

    // Prepares the rule; the value text is empty except for a custom field
    // selection, whose value is the comma-separated list of field ids. A rule
    // that is already stored keeps its identity, so its next Save updates it.
    void DefineRule(int32_t optionType, int32_t rulePriority, int32_t parentId,
                    std::string valueText);

    // Stores the rule (inserts it when new, updates it otherwise). The flags
    // are passed to the store unchanged; callers pass 0.
    Status Save(Connection& data, int32_t flags);
    // Removes the stored rule; the record then counts as new again.
    Status Delete(Connection& data);

    // The rule's actions, a fresh collection of RuleAction objects: a custom
    // field selection has one, of type 8, whose parameter 1 is the value text;
    // the other options carry no actions.
    std::shared_ptr<vb::Collection> Actions() const;

    int32_t RuleId() const { return ruleId_; }
    bool IsNew() const { return ruleId_ == 0; }
    int32_t OptionType() const { return optionType_; }
    int32_t RulePriority() const { return rulePriority_; }
    int32_t ParentId() const { return parentId_; }
    const std::string& ValueText() const { return valueText_; }

    // The stored version the record was loaded or last saved with; a save or
    // delete is refused as a conflict when the stored record has another.
    int64_t RowVersion() const { return rowVersion_; }

    // For the store: the record now holds (or no longer holds) stored row id,
    // at that version.
    void MarkStored(int32_t ruleId, int64_t rowVersion = 1) {
        ruleId_ = ruleId;
        rowVersion_ = rowVersion;
    }
    void MarkNew() {
        ruleId_ = 0;
        rowVersion_ = 0;
    }

private:
    int32_t ruleId_ = 0;
    int64_t rowVersion_ = 0;
    int32_t optionType_ = 0;
    int32_t rulePriority_ = 0;
    int32_t parentId_ = 0;
    std::string valueText_;
};

} // namespace qm6::data
