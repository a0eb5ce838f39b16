// Paper sizes, custom fields, settings, the record set's navigation and the
// fixed lists.

#include "StoreFixture.h"

#include "contract/ListService.h"
#include "qm6data/FixedLists.h"

namespace qm6::data::test {
namespace {

using vb::Currency;

TEST_F(StoreTest, PaperSizesCarryTheirFieldsAsTheirTypes) {
    Run("INSERT INTO paper_sizes VALUES (2, 'Letter', 2159, 2794, 0, 1000, 5001),"
        " (1, 'Photo', 1000, 1500, 2, 1, 123456789);");
    std::shared_ptr<RecordSet> sizes;
    ASSERT_EQ(store_->LoadPaperSizes(sizes), nullptr);
    ASSERT_EQ(sizes->RecordCount(), 2);
    EXPECT_EQ(sizes->Fields("PaperSizeId").Value, vb::Variant(int32_t{1}));
    EXPECT_EQ(sizes->Fields("Description").Value, vb::Variant("Photo"));
    EXPECT_EQ(sizes->Fields("Width").Value, vb::Variant(int32_t{1000}));
    EXPECT_EQ(sizes->Fields("Height").Value, vb::Variant(int32_t{1500}));
    EXPECT_EQ(sizes->Fields("UnitType").Value, vb::Variant(int32_t{2}));
    EXPECT_EQ(sizes->Fields("BWPageCost").Value, vb::Variant(Currency::FromScaled(1)));
    EXPECT_EQ(sizes->Fields("ColorPageCost").Value, vb::Variant(Currency::FromScaled(123456789)));
    sizes->MoveNext();
    EXPECT_EQ(sizes->Fields("description").Value, vb::Variant("Letter"));
}

TEST_F(StoreTest, LinkedCustomFieldFollowsItsParent) {
    // Stored order puts the children before their parents and a chain 1 -> 5 -> 2.
    Run("INSERT INTO custom_fields (field_id, caption, display_order, link_parent_id) VALUES"
        " (2, 'grandchild', 1, 5), (5, 'child', 2, 1), (3, 'alone', 3, 0),"
        " (1, 'parent', 4, 0), (4, 'orphan', 5, 77);");
    std::shared_ptr<RecordSet> fields;
    ASSERT_EQ(store_->LoadCustomFields(fields), nullptr);
    std::vector<std::vector<int32_t>> rows; // id, parent, child
    for (fields->MoveFirst(); !fields->Eof(); fields->MoveNext()) {
        rows.push_back({fields->Fields("FieldId").Value.AsLong(),
                        fields->Fields("LinkParentId").Value.AsLong(),
                        fields->Fields("LinkChildId").Value.AsLong()});
    }
    const std::vector<std::vector<int32_t>> expected{
        {3, 0, 0}, {1, 0, 5}, {5, 1, 2}, {2, 5, 0}, {4, 0, 0}};
    EXPECT_EQ(rows, expected);

    // A field takes at most one linked child.
    EXPECT_EQ(store_->ExecuteScript("INSERT INTO custom_fields VALUES (6, 'x', 6, 1);")->Code(),
              SQLITE_CONSTRAINT);
}

TEST_F(StoreTest, SettingsCarryTheStoredCurrencyFormat) {
    std::shared_ptr<SystemSettings> settings;
    ASSERT_EQ(store_->LoadSystemSettings(settings), nullptr);
    EXPECT_EQ(settings->CurrencyFormat(), "$#,##0.00");
    Run("UPDATE system_settings SET currency_format = '#,##0.0000 €';");
    ASSERT_EQ(store_->LoadSystemSettings(settings), nullptr);
    EXPECT_EQ(settings->CurrencyFormat(), "#,##0.0000 €");
}

TEST(RecordSetNavigation, WalksForwardAndRaisesOnMisuse) {
    auto number = [](const RecordSetError& e) { return e.Number(); };
    RecordSet empty({"A"}, {});
    EXPECT_EQ(empty.RecordCount(), 0);
    EXPECT_TRUE(empty.Bof());
    EXPECT_TRUE(empty.Eof());
    try {
        (void)empty.Fields("A");
        ADD_FAILURE();
    } catch (const RecordSetError& e) {
        EXPECT_EQ(number(e), 3021);
    }

    RecordSet two({"A", "B"}, {{int32_t{1}, "x"}, {int32_t{2}, "y"}});
    EXPECT_FALSE(two.Bof());
    EXPECT_FALSE(two.Eof());
    EXPECT_EQ(two.Fields("b").Value, vb::Variant("x"));
    two.MoveNext();
    EXPECT_EQ(two.Fields("A").Value, vb::Variant(int32_t{2}));
    two.MoveNext();
    EXPECT_TRUE(two.Eof());
    try {
        two.MoveNext();
        ADD_FAILURE();
    } catch (const RecordSetError& e) {
        EXPECT_EQ(number(e), 3021);
    }
    two.MoveFirst();
    EXPECT_EQ(two.Fields("A").Value, vb::Variant(int32_t{1}));
    try {
        (void)two.Fields("C");
        ADD_FAILURE();
    } catch (const RecordSetError& e) {
        EXPECT_EQ(number(e), 3265);
    }
    two.Close();
    EXPECT_FALSE(two.IsOpen());
    try {
        (void)two.RecordCount();
        ADD_FAILURE();
    } catch (const RecordSetError& e) {
        EXPECT_EQ(number(e), 3704);
    }
}

TEST(FixedLists, ListsAreTwoColumnArraysWithTheCodesTheEditorsRelyOn) {
    const auto lists = ListService::Get();
    struct Case {
        int32_t list;
        std::vector<int32_t> codes;
    };
    for (const Case& c : {Case{2, {0, 1, 2, 3}}, Case{9, {0, 1, 2, 3, 4}},
                          Case{23, {1, 2, 3, 4, 5, 6}}}) {
        SCOPED_TRACE(c.list);
        const vb::Array2D list = lists->GetList(c.list);
        EXPECT_EQ(list.LBound(1), 0);
        EXPECT_EQ(list.LBound(2), 0);
        EXPECT_EQ(list.UBound(2), 1);
        std::vector<int32_t> codes;
        for (int32_t i = list.LBound(1); i <= list.UBound(1); ++i) {
            codes.push_back(list.At(i, 0).AsLong());
            const std::string& text = list.At(i, 1).AsString();
            EXPECT_FALSE(text.empty());
            EXPECT_EQ(lists->GetListText(c.list, static_cast<int16_t>(codes.back())), text);
        }
        EXPECT_EQ(codes, c.codes);
    }
    EXPECT_EQ(lists->GetListText(23, 99), "");
    EXPECT_EQ(lists->GetList(7).Count(1), 0);
}

} // namespace
} // namespace qm6::data::test
