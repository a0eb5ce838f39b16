// Two connections on one store, as two consoles: a write made on a view that
// the other changed meanwhile answers a conflict and writes nothing; after
// loading again the same write succeeds.

#include "StoreFixture.h"

#include "qm6data/StatusKind.h"

namespace qm6::data::test {
namespace {

constexpr int32_t kPriority = 2;
constexpr int32_t kOwner = 4;

std::shared_ptr<vb::Collection> Rules(Connection& store) {
    std::shared_ptr<vb::Collection> rules;
    const Status status = store.LoadJobOptionRules(rules, kPriority, kOwner);
    EXPECT_EQ(status, nullptr) << Describe(status);
    return rules;
}

std::shared_ptr<vb::Collection> Limits(Connection& store) {
    std::shared_ptr<vb::Collection> limits;
    const Status status = store.LoadPrintingLimits(limits, kPriority, kOwner);
    EXPECT_EQ(status, nullptr) << Describe(status);
    return limits;
}

// The rules of the owner as "type:value" texts, read through a connection of
// its own.
std::set<std::string> StoredRules(const std::filesystem::path& file) {
    std::shared_ptr<SqliteConnection> store;
    EXPECT_EQ(SqliteConnection::Open(file, store), nullptr);
    std::set<std::string> out;
    const auto rules = Rules(*store);
    for (int32_t i = 1; i <= rules->Count(); ++i) {
        const auto rule = ItemAs<JobOptionRule>(*rules, i);
        out.insert(std::to_string(rule->OptionType()) + ":" + rule->ValueText());
    }
    return out;
}

Status AddRule(Connection& store, int32_t type, std::string value = "") {
    auto rule = store.NewJobOptionRule();
    rule->DefineRule(type, kPriority, kOwner, std::move(value));
    return rule->Save(store, 0);
}

std::shared_ptr<JobOptionRule> RuleOfType(const vb::Collection& rules, int32_t type) {
    for (int32_t i = 1; i <= rules.Count(); ++i)
        if (ItemAs<JobOptionRule>(rules, i)->OptionType() == type)
            return ItemAs<JobOptionRule>(rules, i);
    return nullptr;
}

void ExpectConflict(const Status& status, const std::string& text) {
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->IsConflict()) << Describe(status);
    EXPECT_EQ(KindOf(*status), StatusKind::Conflict);
    EXPECT_NE(status->Message().find(text), std::string::npos) << status->Message();
}

class ConflictTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        Reset();
    }
    // The owner with a monochrome rule and a custom field selection, and two
    // consoles that have loaded nothing yet.
    void Reset() {
        Run("DELETE FROM job_option_rules; DELETE FROM rule_sets;");
        store_ = OpenAt(File());
        ASSERT_EQ(AddRule(*store_, JobOptionRule::CustomFieldSelection, "1,2"), nullptr);
        ASSERT_EQ(AddRule(*store_, JobOptionRule::MonochromeRequired), nullptr);
        store_ = OpenAt(File());
        other_ = OpenAt(File());
    }
    // The other console.
    std::shared_ptr<SqliteConnection> other_;
};

TEST_F(ConflictTest, TheSecondConsoleSavingTheSameOwnersRulesGetsAConflictAndWritesNothing) {
    // Each write of the second console meets a set the first one changed:
    // a new rule, an update and a delete alike.
    struct Case {
        const char* name;
        std::function<Status(Connection&, const vb::Collection& loaded)> write;
    };
    const std::vector<Case> cases{
        {"insert of another option",
         [](Connection& c, const vb::Collection&) { return AddRule(c, 3); }},
        {"update of a rule the first left alone",
         [](Connection& c, const vb::Collection& loaded) {
             auto fields = RuleOfType(loaded, JobOptionRule::CustomFieldSelection);
             fields->DefineRule(JobOptionRule::CustomFieldSelection, kPriority, kOwner, "9");
             return fields->Save(c, 0);
         }},
        {"delete of a rule the first left alone",
         [](Connection& c, const vb::Collection& loaded) {
             return RuleOfType(loaded, JobOptionRule::MonochromeRequired)->Delete(c);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto mine = Rules(*store_);
        const auto theirs = Rules(*other_);
        // The first console switches duplex on (or off again).
        auto duplex = RuleOfType(*mine, JobOptionRule::DuplexRequired);
        ASSERT_EQ(duplex ? duplex->Delete(*store_)
                         : AddRule(*store_, JobOptionRule::DuplexRequired),
                  nullptr);
        const std::set<std::string> first = StoredRules(File());

        ExpectConflict(c.write(*other_, *theirs),
                       "the job option rules of rule priority 2, parent 4 were changed by another "
                       "connection after they were loaded");
        EXPECT_EQ(StoredRules(File()), first);
        // Still out of date: it fails again rather than write.
        EXPECT_TRUE(c.write(*other_, *theirs)->IsConflict());

        // Loaded again, the same write goes through.
        const auto fresh = Rules(*other_);
        EXPECT_EQ(c.write(*other_, *fresh), nullptr);
        EXPECT_NE(StoredRules(File()), first);
        Reset();
    }
}

TEST_F(ConflictTest, ARecordChangedOrDeletedSinceItWasLoadedIsNotWritten) {
    // The other console loads, then this one changes the records; the other
    // loads the owner again (so the set is current) but still holds the
    // records of its first load.
    const auto stale = Rules(*other_);
    const auto mine = Rules(*store_);
    auto fields = RuleOfType(*mine, JobOptionRule::CustomFieldSelection);
    fields->DefineRule(JobOptionRule::CustomFieldSelection, kPriority, kOwner, "7");
    ASSERT_EQ(fields->Save(*store_, 0), nullptr);
    auto mono = RuleOfType(*mine, JobOptionRule::MonochromeRequired);
    const int32_t monoId = mono->RuleId();
    ASSERT_EQ(mono->Delete(*store_), nullptr);
    // The new rule is given the deleted rule's id again (the largest id is
    // reused); it is another record all the same.
    ASSERT_EQ(AddRule(*store_, JobOptionRule::ColorRequired), nullptr);
    ASSERT_EQ(RuleOfType(*Rules(*store_), JobOptionRule::ColorRequired)->RuleId(), monoId);
    Rules(*other_);

    auto staleFields = RuleOfType(*stale, JobOptionRule::CustomFieldSelection);
    ExpectConflict(staleFields->Delete(*other_),
                   "job option rule " + std::to_string(staleFields->RuleId()) +
                       " was changed by another connection after it was loaded");
    staleFields->DefineRule(JobOptionRule::CustomFieldSelection, kPriority, kOwner, "8");
    EXPECT_TRUE(staleFields->Save(*other_, 0)->IsConflict());
    EXPECT_FALSE(staleFields->IsNew());

    auto staleMono = RuleOfType(*stale, JobOptionRule::MonochromeRequired);
    ASSERT_EQ(staleMono->RuleId(), monoId);
    ExpectConflict(staleMono->Delete(*other_), "was changed by another connection");
    // Deleted and not given again.
    ASSERT_EQ(RuleOfType(*Rules(*store_), JobOptionRule::ColorRequired)->Delete(*store_), nullptr);
    Rules(*other_);
    ExpectConflict(staleMono->Delete(*other_), "was deleted by another connection");
    ASSERT_EQ(AddRule(*store_, JobOptionRule::ColorRequired), nullptr);
    EXPECT_EQ(StoredRules(File()), (std::set<std::string>{"0:", "5:7"}));
}

TEST_F(ConflictTest, LimitsAndPriceProfilesOfTheOtherConsoleAreNotOverwritten) {
    Run("INSERT INTO paper_sizes VALUES (1, 'A4', 2100, 2970, 1, 1000, 5000);"
        "INSERT INTO price_profiles (price_profile_id, pricing_option, job_type, bw_cost, "
        "color_cost) VALUES (1, 3, 1, 100, 200);"
        "INSERT INTO paper_size_prices VALUES (1, 1, 10, 20);");
    auto limit = store_->NewPrintingLimit();
    limit->SetRulePriority(kPriority);
    limit->SetParentId(kOwner);
    limit->SetLimitType(1);
    limit->SetLimitValue(int32_t{10});
    limit->SetTitle("first");
    ASSERT_EQ(limit->Save(*store_), nullptr);

    // Both load; this console saves first.
    const auto theirLimits = Limits(*other_);
    std::shared_ptr<PriceProfile> theirProfile, myProfile;
    ASSERT_EQ(other_->LoadPriceProfile(theirProfile, 1), nullptr);
    ASSERT_EQ(store_->LoadPriceProfile(myProfile, 1), nullptr);
    auto mine = ItemAs<PrintingLimit>(*Limits(*store_), 1);
    mine->SetTitle("mine");
    ASSERT_EQ(mine->Save(*store_), nullptr);
    myProfile->SetBWCost(vb::Currency::FromScaled(111));
    myProfile->GetPaperSizePrice(1)->SetBWCost(vb::Currency::FromScaled(11));
    ASSERT_EQ(myProfile->Save(*store_), nullptr);

    auto theirs = ItemAs<PrintingLimit>(*theirLimits, 1);
    theirs->SetTitle("theirs");
    ExpectConflict(theirs->Save(*other_), "printing limit 1 was changed by another connection");
    auto added = other_->NewPrintingLimit();
    added->SetRulePriority(kPriority);
    added->SetParentId(kOwner);
    added->SetLimitType(2);
    ExpectConflict(
        added->Save(*other_),
        "the printing limits of rule priority 2, parent 4 were changed by another connection");
    EXPECT_TRUE(added->IsNew());
    theirProfile->SetColorCost(vb::Currency::FromScaled(999));
    theirProfile->SetPaperSizePrices(std::make_shared<vb::Collection>());
    ExpectConflict(theirProfile->Save(*other_),
                   "price profile 1 was changed by another connection");

    const auto stored = Limits(*OpenAt(File()));
    ASSERT_EQ(stored->Count(), 1);
    EXPECT_EQ(ItemAs<PrintingLimit>(*stored, 1)->Title(), "mine");
    std::shared_ptr<PriceProfile> storedProfile;
    ASSERT_EQ(OpenAt(File())->LoadPriceProfile(storedProfile, 1), nullptr);
    EXPECT_EQ(storedProfile->BWCost(), vb::Currency::FromScaled(111));
    EXPECT_EQ(storedProfile->ColorCost(), vb::Currency::FromScaled(200));
    ASSERT_NE(storedProfile->GetPaperSizePrice(1), nullptr);
    EXPECT_EQ(storedProfile->GetPaperSizePrice(1)->BWCost(), vb::Currency::FromScaled(11));

    // Loaded again, the other console's saves go through.
    auto fresh = ItemAs<PrintingLimit>(*Limits(*other_), 1);
    fresh->SetTitle("theirs");
    EXPECT_EQ(fresh->Save(*other_), nullptr);
    EXPECT_EQ(added->Save(*other_), nullptr);
    ASSERT_EQ(other_->LoadPriceProfile(theirProfile, 1), nullptr);
    theirProfile->SetColorCost(vb::Currency::FromScaled(999));
    EXPECT_EQ(theirProfile->Save(*other_), nullptr);
    EXPECT_EQ(Limits(*OpenAt(File()))->Count(), 2);
}

TEST_F(ConflictTest, AWriteThatFailsForAnotherReasonNeitherStampsTheSetNorAdvancesTheView) {
    auto failBadRule = [&] {
        auto bad = other_->NewJobOptionRule();
        bad->DefineRule(9, kPriority, kOwner, ""); // no such option type
        const Status status = bad->Save(*other_, 0);
        ASSERT_NE(status, nullptr);
        EXPECT_EQ(status->Code(), SQLITE_CONSTRAINT);
    };
    Rules(*other_);
    Rules(*store_);
    failBadRule();
    EXPECT_EQ(AddRule(*store_, JobOptionRule::DuplexRequired), nullptr);

    Rules(*other_);
    Rules(*store_);
    failBadRule();
    EXPECT_EQ(AddRule(*other_, JobOptionRule::NUpRequired), nullptr);
    EXPECT_TRUE(AddRule(*store_, JobOptionRule::ColorRequired)->IsConflict());
}

} // namespace
} // namespace qm6::data::test
