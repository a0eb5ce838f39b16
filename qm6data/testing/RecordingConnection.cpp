#include "qm6data/testing/RecordingConnection.h"

#include <algorithm>

namespace qm6::data::testing {

using vb::Variant;

RecordingConnection::RecordingConnection(std::shared_ptr<Connection> inner)
    : inner_(std::move(inner)) {}

int RecordingConnection::CallCount(std::string_view name) const {
    return static_cast<int>(std::count_if(calls_.begin(), calls_.end(),
                                          [&](const RecordedCall& c) { return c.name == name; }));
}

std::vector<std::string> RecordingConnection::CallNames() const {
    std::vector<std::string> names;
    names.reserve(calls_.size());
    for (const auto& call : calls_) {
        names.push_back(call.name);
    }
    return names;
}

void RecordingConnection::FailCall(std::string name, int32_t code, std::string message,
                                   int occurrence) {
    failures_.emplace(std::move(name), Failure{code, std::move(message), occurrence});
}

Status RecordingConnection::Record(std::string name, std::vector<Variant> arguments) {
    Status injected;
    const auto [first, last] = failures_.equal_range(name);
    for (auto it = first; it != last; ++it) {
        Failure& failure = it->second;
        ++failure.seen;
        if (!injected && (failure.occurrence == 0 || failure.occurrence == failure.seen)) {
            injected = MakeStatus(failure.code, failure.message);
        }
    }
    calls_.push_back({std::move(name), std::move(arguments)});
    return injected;
}

void RecordingConnection::ServeRecordSet(std::string name, std::vector<std::string> fieldNames,
                                         std::vector<std::vector<Variant>> rows) {
    servedRecordSets_[std::move(name)] = {std::move(fieldNames), std::move(rows)};
}

void RecordingConnection::ServeCollection(std::string name, RecordMaker records) {
    servedCollections_[std::move(name)] = std::move(records);
}

void RecordingConnection::ServeSettings(std::shared_ptr<SystemSettings> settings) {
    servedSettings_ = std::move(settings);
}

void RecordingConnection::ClearServed() {
    servedRecordSets_.clear();
    servedCollections_.clear();
    servedSettings_.reset();
}

bool RecordingConnection::Served(std::string_view name, std::shared_ptr<RecordSet>& records) const {
    const auto it = servedRecordSets_.find(name);
    if (it == servedRecordSets_.end()) {
        return false;
    }
    records = std::make_shared<RecordSet>(it->second.fieldNames, it->second.rows);
    return true;
}

bool RecordingConnection::Served(std::string_view name, std::shared_ptr<vb::Collection>& items) const {
    const auto it = servedCollections_.find(name);
    if (it == servedCollections_.end()) {
        return false;
    }
    // As the store does: a new collection for a null variable, else the same
    // collection with its contents replaced.
    if (!items) {
        items = std::make_shared<vb::Collection>();
    }
    while (items->Count() > 0) {
        items->Remove(int32_t{1});
    }
    for (auto& record : it->second()) {
        items->Add(Variant(vb::ObjectRef(std::move(record))));
    }
    return true;
}

Status RecordingConnection::LoadJobOptionRules(std::shared_ptr<vb::Collection>& rules,
                                               int32_t rulePriority, int32_t parentId) {
    if (Status s = Record("LoadJobOptionRules", {Variant(rulePriority), Variant(parentId)})) {
        return s;
    }
    if (Served("LoadJobOptionRules", rules)) {
        return nullptr;
    }
    return inner_->LoadJobOptionRules(rules, rulePriority, parentId);
}

Status RecordingConnection::LoadPrintingLimits(std::shared_ptr<vb::Collection>& limits,
                                               int32_t rulePriority, int32_t parentId) {
    if (Status s = Record("LoadPrintingLimits", {Variant(rulePriority), Variant(parentId)})) {
        return s;
    }
    if (Served("LoadPrintingLimits", limits)) {
        return nullptr;
    }
    return inner_->LoadPrintingLimits(limits, rulePriority, parentId);
}

Status RecordingConnection::LoadPaperSizes(std::shared_ptr<RecordSet>& records) {
    if (Status s = Record("LoadPaperSizes", {})) {
        return s;
    }
    if (Served("LoadPaperSizes", records)) {
        return nullptr;
    }
    return inner_->LoadPaperSizes(records);
}

Status RecordingConnection::LoadCustomFields(std::shared_ptr<RecordSet>& records) {
    if (Status s = Record("LoadCustomFields", {})) {
        return s;
    }
    if (Served("LoadCustomFields", records)) {
        return nullptr;
    }
    return inner_->LoadCustomFields(records);
}

Status RecordingConnection::LoadSystemSettings(std::shared_ptr<SystemSettings>& settings) {
    if (Status s = Record("LoadSystemSettings", {})) {
        return s;
    }
    if (servedSettings_) {
        settings = servedSettings_;
        return nullptr;
    }
    return inner_->LoadSystemSettings(settings);
}

Status RecordingConnection::LoadPrinterProfiles(std::shared_ptr<RecordSet>& records) {
    if (Status s = Record("LoadPrinterProfiles", {})) {
        return s;
    }
    if (Served("LoadPrinterProfiles", records)) {
        return nullptr;
    }
    return inner_->LoadPrinterProfiles(records);
}

Status RecordingConnection::LoadPriceProfiles(std::shared_ptr<RecordSet>& records) {
    if (Status s = Record("LoadPriceProfiles", {})) {
        return s;
    }
    if (Served("LoadPriceProfiles", records)) {
        return nullptr;
    }
    return inner_->LoadPriceProfiles(records);
}

Status RecordingConnection::LoadPriceProfile(std::shared_ptr<PriceProfile>& profile,
                                             int32_t priceProfileId) {
    if (Status s = Record("LoadPriceProfile", {Variant(priceProfileId)})) {
        return s;
    }
    return inner_->LoadPriceProfile(profile, priceProfileId);
}

Status RecordingConnection::LoadRuleActions(std::shared_ptr<vb::Collection>& actions) {
    if (Status s = Record("LoadRuleActions", {})) {
        return s;
    }
    if (Served("LoadRuleActions", actions)) {
        return nullptr;
    }
    return inner_->LoadRuleActions(actions);
}

Status RecordingConnection::SaveJobOptionRule(JobOptionRule& rule, int32_t flags) {
    if (Status s = Record("SaveJobOptionRule",
                          {Variant(rule.OptionType()), Variant(rule.RulePriority()),
                           Variant(rule.ParentId()), Variant(rule.ValueText()), Variant(flags),
                           Variant(rule.RuleId())})) {
        return s;
    }
    return inner_->SaveJobOptionRule(rule, flags);
}

Status RecordingConnection::DeleteJobOptionRule(JobOptionRule& rule) {
    if (Status s = Record("DeleteJobOptionRule",
                          {Variant(rule.OptionType()), Variant(rule.RulePriority()),
                           Variant(rule.ParentId()), Variant(rule.RuleId())})) {
        return s;
    }
    return inner_->DeleteJobOptionRule(rule);
}

Status RecordingConnection::SavePrintingLimit(PrintingLimit& limit) {
    if (Status s = Record("SavePrintingLimit",
                          {Variant(limit.LimitId()), Variant(limit.LimitType()),
                           limit.LimitValue(), Variant(limit.Title()),
                           Variant(limit.MessageText()), Variant(limit.StopJob()),
                           Variant(limit.RulePriority()), Variant(limit.ParentId())})) {
        return s;
    }
    return inner_->SavePrintingLimit(limit);
}

Status RecordingConnection::DeletePrintingLimit(PrintingLimit& limit) {
    if (Status s = Record("DeletePrintingLimit", {Variant(limit.LimitId())})) {
        return s;
    }
    return inner_->DeletePrintingLimit(limit);
}

Status RecordingConnection::SavePriceProfile(PriceProfile& profile) {
    if (Status s = Record("SavePriceProfile",
                          {Variant(profile.PriceProfileId()), Variant(profile.PricingOption()),
                           Variant(profile.JobType()), Variant(profile.BWCost()),
                           Variant(profile.ColorCost()),
                           Variant(profile.PaperSizePrices()->Count())})) {
        return s;
    }
    return inner_->SavePriceProfile(profile);
}

Status RecordingConnection::SaveRuleAction(RuleAction& action) {
    if (Status s = Record("SaveRuleAction",
                          {Variant(action.ActionId()), Variant(action.ActionType()),
                           Variant(action.Description()), Variant(action.Parameter(1))})) {
        return s;
    }
    return inner_->SaveRuleAction(action);
}

std::shared_ptr<JobOptionRule> RecordingConnection::NewJobOptionRule() {
    Record("NewJobOptionRule", {});
    return inner_->NewJobOptionRule();
}

std::shared_ptr<PrintingLimit> RecordingConnection::NewPrintingLimit() {
    Record("NewPrintingLimit", {});
    return inner_->NewPrintingLimit();
}

std::shared_ptr<PaperSizePrice> RecordingConnection::NewPaperSizePrice() {
    Record("NewPaperSizePrice", {});
    return inner_->NewPaperSizePrice();
}

std::shared_ptr<PriceProfile> RecordingConnection::NewPriceProfile() {
    Record("NewPriceProfile", {});
    return inner_->NewPriceProfile();
}

std::shared_ptr<RuleAction> RecordingConnection::NewRuleAction() {
    Record("NewRuleAction", {});
    return inner_->NewRuleAction();
}

} // namespace qm6::data::testing
