#pragma once

#include "contract/Connection.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qm6::data::testing {

// One call that reached the decorator: the operation's name (as on
// Connection) and its arguments, with records reduced to their fields.
struct RecordedCall {
    std::string name;
    std::vector<vb::Variant> arguments;
};

// A connection that wraps another, records every call with its arguments and
// can make chosen calls fail. Tests of the editors hand it to an editor in
// place of the store to count calls and to inject failures; everything else
// goes to the real connection underneath.
//
// Arguments recorded per operation:
//   LoadJobOptionRules, LoadPrintingLimits: rule priority, parent id
//   LoadPriceProfile: price profile id
//   SaveJobOptionRule: option type, rule priority, parent id, value text, flags, rule id
//   DeleteJobOptionRule: option type, rule priority, parent id, rule id
//   SavePrintingLimit: limit id, type, value, title, message text, stop job,
//                      rule priority, parent id
//   DeletePrintingLimit: limit id
//   SavePriceProfile: profile id, pricing option, job type, B/W cost,
//                     colour cost, number of paper-size prices
//   SaveRuleAction: action id, action type, description, parameter 1
//   the other loads and the factory: none
class RecordingConnection final : public Connection {
public:
    explicit RecordingConnection(std::shared_ptr<Connection> inner);

    const std::vector<RecordedCall>& Calls() const { return calls_; }
    int CallCount(std::string_view name) const;
    // The names of the calls in order, for asserting a sequence.
    std::vector<std::string> CallNames() const;
    void ClearCalls() { calls_.clear(); }

    // Makes calls of that name answer a status with this code and message
    // without reaching the wrapped connection (so the store and the record stay
    // as they were). occurrence 0 fails every such call from now on; n fails
    // only the n-th such call from now on. A factory call cannot fail.
    void FailCall(std::string name, int32_t code, std::string message, int occurrence = 0);
    void ClearFailures() { failures_.clear(); }

    // Hands out chosen records in place of the store's, so that an editor can
    // be given values the store itself refuses (a unit type of 7, a limit
    // type that list 23 lacks). The call is still recorded, and an injected
    // failure still wins; a served call never reaches the wrapped connection.
    //
    // A record-set load (LoadPaperSizes, LoadCustomFields,
    // LoadPrinterProfiles, LoadPriceProfiles) answers a new open record set of these fields and
    // rows on every call.
    void ServeRecordSet(std::string name, std::vector<std::string> fieldNames,
                        std::vector<std::vector<vb::Variant>> rows);
    // A collection load (LoadJobOptionRules, LoadPrintingLimits,
    // LoadRuleActions) fills the
    // caller's collection, as the store does, with the records the function
    // makes on each call (new objects each time, so a second load is not
    // handed what the editor changed).
    using RecordMaker = std::function<std::vector<std::shared_ptr<vb::Object>>()>;
    void ServeCollection(std::string name, RecordMaker records);
    // LoadSystemSettings answers these settings.
    void ServeSettings(std::shared_ptr<SystemSettings> settings);
    void ClearServed();

    const std::shared_ptr<Connection>& Inner() const { return inner_; }

    Status LoadJobOptionRules(std::shared_ptr<vb::Collection>& rules, int32_t rulePriority,
                              int32_t parentId) override;
    Status LoadPrintingLimits(std::shared_ptr<vb::Collection>& limits, int32_t rulePriority,
                              int32_t parentId) override;
    Status LoadPaperSizes(std::shared_ptr<RecordSet>& records) override;
    Status LoadCustomFields(std::shared_ptr<RecordSet>& records) override;
    Status LoadSystemSettings(std::shared_ptr<SystemSettings>& settings) override;
    Status LoadPrinterProfiles(std::shared_ptr<RecordSet>& records) override;
    Status LoadPriceProfiles(std::shared_ptr<RecordSet>& records) override;
    Status LoadPriceProfile(std::shared_ptr<PriceProfile>& profile,
                            int32_t priceProfileId) override;
    Status LoadRuleActions(std::shared_ptr<vb::Collection>& actions) override;
    Status SaveJobOptionRule(JobOptionRule& rule, int32_t flags) override;
    Status DeleteJobOptionRule(JobOptionRule& rule) override;
    Status SavePrintingLimit(PrintingLimit& limit) override;
    Status DeletePrintingLimit(PrintingLimit& limit) override;
    Status SavePriceProfile(PriceProfile& profile) override;
    Status SaveRuleAction(RuleAction& action) override;
    std::shared_ptr<JobOptionRule> NewJobOptionRule() override;
    std::shared_ptr<PrintingLimit> NewPrintingLimit() override;
    std::shared_ptr<PaperSizePrice> NewPaperSizePrice() override;
    std::shared_ptr<PriceProfile> NewPriceProfile() override;
    std::shared_ptr<RuleAction> NewRuleAction() override;

private:
    struct Failure {
        int32_t code;
        std::string message;
        int occurrence; // 0: every call
        int seen = 0;
    };

    struct ServedRecordSet {
        std::vector<std::string> fieldNames;
        std::vector<std::vector<vb::Variant>> rows;
    };

    // Records the call and answers the injected failure, if this call has one.
    Status Record(std::string name, std::vector<vb::Variant> arguments);
    // A served load: true when the call was answered here.
    bool Served(std::string_view name, std::shared_ptr<RecordSet>& records) const;
    bool Served(std::string_view name, std::shared_ptr<vb::Collection>& items) const;

    std::shared_ptr<Connection> inner_;
    std::vector<RecordedCall> calls_;
    std::multimap<std::string, Failure, std::less<>> failures_;
    std::map<std::string, ServedRecordSet, std::less<>> servedRecordSets_;
    std::map<std::string, RecordMaker, std::less<>> servedCollections_;
    std::shared_ptr<SystemSettings> servedSettings_;
};

} // namespace qm6::data::testing
