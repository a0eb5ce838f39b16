#pragma once

#include "contract/DataStatus.h"
#include "contract/JobOptionRule.h"
#include "contract/PaperSizePrice.h"
#include "contract/PriceProfile.h"
#include "contract/PrintingLimit.h"
#include "contract/RecordSet.h"
#include "contract/RuleAction.h"
#include "contract/SystemSettings.h"
#include "platform/vb/Collection.h"

#include <cstdint>
#include <memory>

namespace qm6::data {

// The data-access object a host hands to every editor: one open store. The
// services and the records' own Save and Delete come here, so that a decorator
// over a connection sees every call.
//
// Every operation answers a Status (nullptr for success); a failure of the
// store comes back as a status, never as an exception. A connection belongs to
// the thread that uses it.
class Connection : public vb::Object {
public:
    // Loads fill the variable given by reference. A collection variable that
    // is null is given a new collection; one that holds a collection has its
    // contents replaced (the object stays the same).

    // The JobOptionRule records of one owner, in option type order.
    virtual Status LoadJobOptionRules(std::shared_ptr<vb::Collection>& rules, int32_t rulePriority,
                                      int32_t parentId) = 0;
    // The PrintingLimit records of one owner, in display order.
    virtual Status LoadPrintingLimits(std::shared_ptr<vb::Collection>& limits,
                                      int32_t rulePriority, int32_t parentId) = 0;
    // Fields PaperSizeId, Description, Width, Height (tenths of a millimetre),
    // UnitType (0 inches, 1 millimetres, 2 centimetres), BWPageCost and
    // ColorPageCost (Currency), by PaperSizeId.
    virtual Status LoadPaperSizes(std::shared_ptr<RecordSet>& records) = 0;
    // Fields FieldId, Caption, LinkParentId (0 for a top-level field),
    // LinkChildId (0 for none); a linked child comes directly after its parent.
    virtual Status LoadCustomFields(std::shared_ptr<RecordSet>& records) = 0;
    virtual Status LoadSystemSettings(std::shared_ptr<SystemSettings>& settings) = 0;
    // Fields PrinterProfileId, Description, PriceProfileId (0 for none), by id:
    // the rule owners a host offers.
    virtual Status LoadPrinterProfiles(std::shared_ptr<RecordSet>& records) = 0;
    // Fields PriceProfileId, Description, by id: the price profiles a host
    // offers.
    virtual Status LoadPriceProfiles(std::shared_ptr<RecordSet>& records) = 0;
    // One price profile with its paper-size prices (by paper size id).
    virtual Status LoadPriceProfile(std::shared_ptr<PriceProfile>& profile,
                                    int32_t priceProfileId) = 0;
    // The custom actions, RuleAction records with their descriptions and
    // parameters, by id.
    virtual Status LoadRuleActions(std::shared_ptr<vb::Collection>& actions) = 0;

    // What the records' own operations call. A save or delete of a record
    // that another connection changed or removed after it was loaded, or an
    // insert that meets a record stored meanwhile, writes nothing and answers
    // a status with code DataStatus::kConflict.
    virtual Status SaveJobOptionRule(JobOptionRule& rule, int32_t flags) = 0;
    virtual Status DeleteJobOptionRule(JobOptionRule& rule) = 0;
    virtual Status SavePrintingLimit(PrintingLimit& limit) = 0;
    virtual Status DeletePrintingLimit(PrintingLimit& limit) = 0;
    virtual Status SavePriceProfile(PriceProfile& profile) = 0;
    virtual Status SaveRuleAction(RuleAction& action) = 0;

    // New, unstored records, so that callers never name the store's classes.
    virtual std::shared_ptr<JobOptionRule> NewJobOptionRule() = 0;
    virtual std::shared_ptr<PrintingLimit> NewPrintingLimit() = 0;
    virtual std::shared_ptr<PaperSizePrice> NewPaperSizePrice() = 0;
    virtual std::shared_ptr<PriceProfile> NewPriceProfile() = 0;
    virtual std::shared_ptr<RuleAction> NewRuleAction() = 0;
};

} // namespace qm6::data
