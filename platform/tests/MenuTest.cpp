#include "Menu.h"

#include <gtest/gtest.h>

using platform::Menu;
using platform::MenuItem;

namespace {

// One top popup with two submenus, like the program's menus.
Menu MakeNestedMenu()
{
    Menu first;
    first.AppendCommand(11, "One").AppendSeparator().AppendCommand(10, "Edit");
    Menu second;
    second.AppendCommand(21, "Two").AppendCommand(20, "Edit");
    Menu top;
    top.AppendPopup("First", std::move(first)).AppendPopup("Second", std::move(second));
    Menu bar;
    bar.AppendPopup("Top", std::move(top));
    return bar;
}

} // namespace

TEST(MenuTest, RetitlingAPopupByPositionKeepsItsSubmenu)
{
    Menu bar = MakeNestedMenu();
    Menu* top = bar.GetSubMenu(0);
    ASSERT_NE(top, nullptr);
    ASSERT_TRUE(top->ModifyMenuByPosition(1, "Renamed"));
    EXPECT_EQ(top->GetMenuStringByPosition(1), "Renamed");
    ASSERT_NE(top->GetSubMenu(1), nullptr);
    EXPECT_EQ(top->GetSubMenu(1)->GetMenuStringByCommand(21), "Two");
}

TEST(MenuTest, CommandsAreFoundInsideSubmenusAndKeepTheirIds)
{
    Menu bar = MakeNestedMenu();
    ASSERT_TRUE(bar.ModifyMenuByCommand(21, "Work:\t1-800-Work-Now"));
    const Menu* second = bar.GetSubMenu(0)->GetSubMenu(1);
    EXPECT_EQ(second->ItemAt(0)->id, 21u);
    EXPECT_EQ(second->ItemAt(0)->text, "Work:\t1-800-Work-Now");
    EXPECT_EQ(bar.GetMenuStringByCommand(21), "Work:\t1-800-Work-Now");
    EXPECT_FALSE(bar.ModifyMenuByCommand(99, "x"));
    EXPECT_FALSE(bar.GetMenuStringByCommand(99).has_value());
}

TEST(MenuTest, SeparatorsAndPopupsAreNotCommands)
{
    Menu bar = MakeNestedMenu();
    // A separator and a popup carry id 0; looking up command 0 must not land on them.
    EXPECT_FALSE(bar.GetMenuStringByCommand(0).has_value());
    const Menu* first = bar.GetSubMenu(0)->GetSubMenu(0);
    EXPECT_EQ(first->ItemAt(1)->type, MenuItem::Type::Separator);
    EXPECT_EQ(first->GetSubMenu(1), nullptr);
}

TEST(MenuTest, RemovingByPositionMovesLaterItemsUp)
{
    Menu bar = MakeNestedMenu();
    Menu* top = bar.GetSubMenu(0);
    ASSERT_TRUE(top->RemoveMenu(0));
    EXPECT_EQ(top->GetMenuItemCount(), 1);
    EXPECT_EQ(top->GetMenuStringByPosition(0), "Second");
    EXPECT_FALSE(bar.GetMenuStringByCommand(11).has_value());
    EXPECT_FALSE(top->RemoveMenu(1));
    EXPECT_FALSE(top->RemoveMenu(-1));
}

TEST(MenuTest, LongTextsAreKeptWhole)
{
    Menu menu;
    const std::string longText(1000, 'x');
    menu.AppendCommand(5, longText);
    EXPECT_EQ(menu.GetMenuStringByCommand(5), longText);
    EXPECT_EQ(menu.GetMenuStringByPosition(0), longText);
}

TEST(MenuTest, DataTravelsWithItsItem)
{
    Menu bar = MakeNestedMenu();
    EXPECT_EQ(bar.GetMenuItemData(21), nullptr);
    ASSERT_TRUE(bar.SetMenuItemData(21, std::string("carried")));
    bar.ModifyMenuByCommand(21, "new text");
    const std::any* data = bar.GetMenuItemData(21);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::any_cast<std::string>(*data), "carried");
    EXPECT_FALSE(bar.SetMenuItemData(99, 1));
}

TEST(MenuTest, DestroyedMenuHasNoPopup)
{
    Menu bar = MakeNestedMenu();
    bar.DestroyMenu();
    EXPECT_EQ(bar.GetMenuItemCount(), 0);
    EXPECT_EQ(bar.GetSubMenu(0), nullptr);
}
