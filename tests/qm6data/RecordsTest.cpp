// Round trips of the records the editors write: job option rules, printing
// limits and price profiles.

#include "StoreFixture.h"
#include "contract/RuleAction.h"
#include "qm6data/StatusKind.h"

namespace qm6::data::test {
namespace {

using vb::Currency;

// Each rule as "type priority parent", then "action-type:parameter" per action.
std::vector<std::string> RuleTexts(Connection& store, int32_t priority, int32_t parent) {
    const auto rules = Rules(store, priority, parent);
    std::vector<std::string> texts;
    for (int32_t i = 1; rules && i <= rules->Count(); ++i) {
        const auto rule = ItemAs<JobOptionRule>(*rules, i);
        texts.push_back(std::to_string(rule->OptionType()) + " " +
                        std::to_string(rule->RulePriority()) + " " +
                        std::to_string(rule->ParentId()));
        for (int32_t a = 1; a <= rule->Actions()->Count(); ++a) {
            const auto action = ItemAs<RuleAction>(*rule->Actions(), a);
            texts.back() += " " + std::to_string(action->ActionType()) + ":" + action->Parameter(1);
        }
    }
    return texts;
}

// Every option type is stored by one of the editors' tests; here the owner's
// priority and parent pick the rules, in option type order.
TEST_F(StoreTest, RulesComeBackForTheirOwnerInOptionTypeOrderAndAreUpdatedOrRemovedInPlace) {
    for (const auto& [type, priority] :
         std::vector<std::pair<int32_t, int32_t>>{{5, 2}, {3, 2}, {1, 3}}) {
        auto rule = store_->NewJobOptionRule();
        rule->DefineRule(type, priority, 10, type == 5 ? "4,1,9" : "");
        ASSERT_EQ(rule->Save(*store_, 0), nullptr);
    }
    EXPECT_EQ(RuleTexts(*store_, 2, 10), (std::vector<std::string>{"3 2 10", "5 2 10 8:4,1,9"}));
    EXPECT_EQ(RuleTexts(*store_, 3, 10), std::vector<std::string>{"1 3 10"});
    EXPECT_EQ(RuleTexts(*store_, 2, 11), std::vector<std::string>{});

    // A saved rule is updated, a second of the same option conflicts and a
    // delete removes it.
    auto rule = store_->NewJobOptionRule();
    rule->DefineRule(5, 2, 1, "1,2");
    ASSERT_EQ(rule->Save(*store_, 0), nullptr);
    const int32_t id = rule->RuleId();
    rule->DefineRule(5, 2, 1, "3");
    ASSERT_EQ(rule->Save(*store_, 0), nullptr);

    auto second = store_->NewJobOptionRule();
    second->DefineRule(5, 2, 1, "");
    const Status status = second->Save(*store_, 0);
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->IsConflict());
    EXPECT_EQ(status->Message(),
              "a job option rule of option type 5 for rule priority 2, parent 1 is already stored");
    EXPECT_TRUE(second->IsNew());

    // The update landed on the one rule (the editors' saves pin its value).
    auto rules = Rules(*store_, 2, 1);
    ASSERT_EQ(rules->Count(), 1);
    EXPECT_EQ(ItemAs<JobOptionRule>(*rules, 1)->RuleId(), id);
    // A held collection is refilled in place.
    const vb::Collection* held = rules.get();
    ASSERT_EQ(ItemAs<JobOptionRule>(*rules, 1)->Delete(*store_), nullptr);
    ASSERT_EQ(store_->LoadJobOptionRules(rules, 2, 1), nullptr);
    EXPECT_EQ(rules.get(), held);
    EXPECT_EQ(rules->Count(), 0);
}

// Values as the limit's type stores them; which columns a limit's fields go
// to is shared by both engines and pinned by the limits editor's tests.
TEST_F(StoreTest, LimitsKeepExactValuesAndTheirPlaceAndValuesTheStoreCannotHoldAreRefused) {
    struct Case {
        int32_t type;
        vb::Variant value, expected;
    };
    const std::vector<Case> cases{
        {4, Currency::FromScaled(INT64_MAX), Currency::FromScaled(INT64_MAX)},
        {4, int32_t{12}, Currency::FromUnits(12)},    // a whole number written to a money type
        {5, Currency::FromScaled(25000), int32_t{2}}, // a count rounds as CLng: 2.5 to 2
    };
    std::vector<std::shared_ptr<PrintingLimit>> made;
    for (size_t i = 0; i < cases.size(); ++i) {
        made.push_back(NewLimit(*store_, cases[i].type, cases[i].value, "L" + std::to_string(i)));
        made.back()->SetStopJob(i == 1);
        ASSERT_EQ(made.back()->Save(*store_), nullptr) << i;
    }
    const auto limits = Limits(*store_, 2, 4);
    ASSERT_EQ(limits->Count(), static_cast<int32_t>(cases.size()));
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const auto limit = ItemAs<PrintingLimit>(*limits, static_cast<int32_t>(i) + 1);
        EXPECT_EQ(limit->LimitValue(), cases[i].expected);
        EXPECT_EQ(limit->StopJob(), i == 1);
    }

    // A saved limit is updated in place and keeps its position; a deleted
    // one is new again, and a limit added later comes last.
    made[0]->SetTitle("L0b");
    ASSERT_EQ(made[0]->Save(*store_), nullptr);
    ASSERT_EQ(made[1]->Delete(*store_), nullptr);
    EXPECT_TRUE(made[1]->IsNew());
    ASSERT_EQ(NewLimit(*store_, 1, int32_t{40}, "L3")->Save(*store_), nullptr);
    std::vector<std::string> titles;
    const auto after = Limits(*store_, 2, 4);
    for (int32_t i = 1; i <= after->Count(); ++i)
        titles.push_back(ItemAs<PrintingLimit>(*after, i)->Title());
    EXPECT_EQ(titles, (std::vector<std::string>{"L0b", "L2", "L3"}));

    // Values the store cannot hold come back as statuses.
    auto negative = NewLimit(*store_, 1, int32_t{-1}, "n");
    const Status constraint = negative->Save(*store_);
    ASSERT_NE(constraint, nullptr);
    EXPECT_EQ(constraint->Code(), SQLITE_CONSTRAINT);
    EXPECT_TRUE(negative->IsNew());

    auto text = NewLimit(*store_, 3, "twelve", "t");
    const Status mismatch = text->Save(*store_);
    ASSERT_NE(mismatch, nullptr);
    EXPECT_EQ(mismatch->Code(), SQLITE_MISMATCH);
    EXPECT_EQ(KindOf(*mismatch), StatusKind::Refused);
    EXPECT_EQ(mismatch->Message(),
              "a value of the record cannot be stored: Type mismatch (error 13)");
    EXPECT_EQ(Limits(*store_, 2, 4)->Count(), 3);
}

TEST_F(StoreTest, PriceProfileRoundTripReplacesItsPaperSizePrices) {
    Run("INSERT INTO paper_sizes VALUES (1, 'A4', 2100, 2970, 1, 1000, 5000),"
        " (2, 'Letter', 2159, 2794, 0, 1000, 5000), (3, 'A3', 2970, 4200, 1, 2000, 9000);");
    auto profile = store_->NewPriceProfile();
    profile->SetDescription("p");
    profile->SetPricingOption(3);
    profile->SetJobType(2);
    profile->SetBWCost(Currency::FromScaled(1234));
    profile->SetColorCost(Currency::FromScaled(98765));
    auto price = [&](int32_t size, int64_t bw, int64_t color) {
        auto p = store_->NewPaperSizePrice();
        p->SetPaperSizeId(size);
        p->SetBWCost(Currency::FromScaled(bw));
        p->SetColorCost(Currency::FromScaled(color));
        return vb::Variant(std::static_pointer_cast<vb::Object>(p));
    };
    profile->PaperSizePrices()->Add(price(3, 1, 2));
    profile->PaperSizePrices()->Add(price(1, 3, 4));
    ASSERT_EQ(profile->Save(*store_), nullptr);

    std::shared_ptr<PriceProfile> loaded;
    ASSERT_EQ(store_->LoadPriceProfile(loaded, profile->PriceProfileId()), nullptr);
    EXPECT_EQ(loaded->PricingOption(), 3);
    EXPECT_EQ(loaded->JobType(), 2);
    EXPECT_EQ(loaded->BWCost(), Currency::FromScaled(1234));
    EXPECT_EQ(loaded->ColorCost(), Currency::FromScaled(98765));
    ASSERT_EQ(loaded->PaperSizePrices()->Count(), 2);
    EXPECT_EQ(loaded->GetPaperSizePrice(1)->ColorCost(), Currency::FromScaled(4));
    EXPECT_EQ(loaded->GetPaperSizePrice(3)->BWCost(), Currency::FromScaled(1));
    EXPECT_EQ(loaded->GetPaperSizePrice(2), nullptr);

    // Storing every row at its defaults leaves no prices.
    loaded->SetPaperSizePrices(std::make_shared<vb::Collection>());
    ASSERT_EQ(loaded->Save(*store_), nullptr);
    ASSERT_EQ(store_->LoadPriceProfile(loaded, profile->PriceProfileId()), nullptr);
    EXPECT_EQ(loaded->PaperSizePrices()->Count(), 0);

    // A failing price leaves the stored profile whole.
    loaded->SetBWCost(Currency::FromScaled(7));
    loaded->PaperSizePrices()->Add(price(2, 1, 1));
    loaded->PaperSizePrices()->Add(price(99, 1, 1)); // no such paper size
    const Status status = loaded->Save(*store_);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->Code(), SQLITE_CONSTRAINT);
    ASSERT_EQ(store_->LoadPriceProfile(loaded, profile->PriceProfileId()), nullptr);
    EXPECT_EQ(loaded->BWCost(), Currency::FromScaled(1234));
    EXPECT_EQ(loaded->PaperSizePrices()->Count(), 0);

    std::shared_ptr<PriceProfile> missing;
    const Status notFound = store_->LoadPriceProfile(missing, 4711);
    EXPECT_EQ(notFound->Code(), SQLITE_NOTFOUND);
    EXPECT_EQ(KindOf(*notFound), StatusKind::Missing);
    EXPECT_EQ(missing, nullptr);
}

} // namespace
} // namespace qm6::data::test
