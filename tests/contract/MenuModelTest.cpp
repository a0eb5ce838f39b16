// The menu model: a new menu's defaults, its one collection of entries for
// its whole life, ids and captions stored without the spaces at their ends
// (only spaces), and the picture shared, not copied; directly and by name.

#include "contract/AdminMenu.h"
#include "platform/vb/CallByName.h"

#include <gtest/gtest.h>

namespace qm6 {
namespace {

using vb::CallType;
using vb::Variant;

TEST(MenuModel, IdsAndCaptionsLoseTheSpacesAtTheirEndsAndNothingElse) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"  Print   ", "Print"},
        {"     ", ""},
        {"\tPrint\t", "\tPrint\t"},
        {" \nPrint\r\n ", "\nPrint\r\n"},
        {"\u00A0Drucken\u00A0", "\u00A0Drucken\u00A0"}, // a no-break space stays
    };
    auto menu = std::make_shared<AdminMenu>();
    auto item = std::make_shared<AdminMenuItem>();
    for (const auto& [given, stored] : cases) {
        SCOPED_TRACE("\"" + given + "\"");
        menu->Id(given);
        menu->Caption(given);
        item->Id(given);
        item->Caption(given);
        EXPECT_EQ(std::vector({menu->Id(), menu->Caption(), item->Id(), item->Caption()}),
                  std::vector(4, stored));
        // By name the text is passed by reference; the caller's stays as it was.
        for (const vb::ObjectRef& target : {vb::ObjectRef(menu), vb::ObjectRef(item)}) {
            std::vector<Variant> args{Variant(given)};
            dynamic_cast<vb::Dispatchable&>(*target).Invoke("Caption", CallType::Let, args);
            EXPECT_EQ(args[0], Variant(given));
            EXPECT_EQ(vb::CallByName(target, "caption", CallType::Get), Variant(stored));
        }
    }
}

// The menu's lifetime (no cycle with its entries) is watched by the leak
// checker every test runs under.
TEST(MenuModel, AMenuKeepsOneCollectionOfEntriesAPictureIsSharedAndFlagsTakeTheRuntimesBooleans) {
    auto menu = std::make_shared<AdminMenu>();
    auto item = std::make_shared<AdminMenuItem>();
    // Entries added to one read are seen through every later read, also by name.
    menu->MenuItems()->Add(vb::ObjectVariant(item));
    vb::ObjectOf<vb::Collection>(vb::CallByName(menu, "MenuItems", CallType::Get))
        ->Add(vb::ObjectVariant(std::make_shared<AdminMenuItem>()));
    EXPECT_EQ(menu->MenuItems()->Count(), 2);
    EXPECT_EQ(vb::ObjectOf<AdminMenuItem>(menu->MenuItems()->Item(1)), item);

    const pictures::PicturePtr picture = std::make_shared<pictures::Picture>(
        pictures::PictureType::Bitmap, pictures::Image{1, 1, {0xFF102030u}});
    vb::CallByName(item, "Graphic", CallType::Set, {vb::ObjectVariant(picture)});
    EXPECT_EQ(vb::ObjectOf<const pictures::Picture>(vb::CallByName(item, "Graphic", CallType::Get)),
              picture);
    vb::CallByName(item, "Graphic", CallType::Set, {Variant(vb::ObjectRef())});
    EXPECT_EQ(item->Graphic(), nullptr);

    // A new menu goes on the menu bar only.
    EXPECT_TRUE(menu->PlaceOnMenubar() && !menu->PlaceOnToolbar());
    vb::CallByName(menu, "PlaceOnToolbar", CallType::Let, {Variant(int16_t{-1})});
    vb::CallByName(menu, "PlaceOnMenubar", CallType::Let, {Variant("False")});
    EXPECT_TRUE(menu->PlaceOnToolbar());
    EXPECT_FALSE(menu->PlaceOnMenubar());
    // MenuItems has no write, by name either.
    EXPECT_THROW(vb::CallByName(menu, "MenuItems", CallType::Set,
                                {vb::ObjectVariant(std::make_shared<vb::Collection>())}),
                 vb::VbError);
}

} // namespace
} // namespace qm6
