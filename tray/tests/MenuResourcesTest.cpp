#include "MenuResources.h"

#include <gtest/gtest.h>

using platform::MenuItem;

TEST(MenuResourcesTest, CommandMenuHoldsItsCommandsInOrder)
{
    std::optional<platform::Menu> menu = tray::LoadMenu(145);
    ASSERT_TRUE(menu.has_value());
    ASSERT_EQ(menu->GetMenuItemCount(), 1);
    const platform::Menu& commands = *menu->GetSubMenu(0);

    struct Expected
    {
        MenuItem::Type type;
        unsigned id;
        const char* text;
    };
    const Expected expected[] = {
        {MenuItem::Type::Command, 32771, "New Entry"},
        {MenuItem::Type::Command, 32772, "Settings"},
        {MenuItem::Type::Command, 33277, "Refresh"},
        {MenuItem::Type::Popup, 0, "Import/Export"},
        {MenuItem::Type::Separator, 0, ""},
        {MenuItem::Type::Command, 57664, "About"},
        {MenuItem::Type::Command, 57670, "Help"},
        {MenuItem::Type::Separator, 0, ""},
        {MenuItem::Type::Command, 32773, "Exit"},
    };
    ASSERT_EQ(commands.GetMenuItemCount(), static_cast<int>(std::size(expected)));
    for (int position = 0; position < commands.GetMenuItemCount(); ++position) {
        const MenuItem& item = *commands.ItemAt(position);
        EXPECT_EQ(item.type, expected[position].type) << position;
        EXPECT_EQ(item.id, expected[position].id) << position;
        EXPECT_EQ(item.text, expected[position].text) << position;
    }
    const platform::Menu& importExport = *commands.GetSubMenu(3);
    ASSERT_EQ(importExport.GetMenuItemCount(), 2);
    EXPECT_EQ(importExport.ItemAt(0)->id, 32775u);
    EXPECT_EQ(importExport.ItemAt(0)->text, "Import Entries");
    EXPECT_EQ(importExport.ItemAt(1)->id, 32774u);
    EXPECT_EQ(importExport.ItemAt(1)->text, "Export Entries");
}

TEST(MenuResourcesTest, EntryMenuTemplateHasFiveSlotsWithTheirIdsAndTexts)
{
    std::optional<platform::Menu> menu = tray::LoadMenu(129);
    ASSERT_TRUE(menu.has_value());
    const platform::Menu& entries = *menu->GetSubMenu(0);
    ASSERT_EQ(entries.GetMenuItemCount(), 5);
    const char* keys[] = {"HomePhone", "WorkPhone", "CellPhone", "Fax", "Beeper"};
    for (int slot = 0; slot < 5; ++slot) {
        const std::string title = "Item" + std::to_string(slot + 1);
        EXPECT_EQ(entries.GetMenuStringByPosition(slot), title);
        const platform::Menu& popup = *entries.GetSubMenu(slot);
        ASSERT_EQ(popup.GetMenuItemCount(), 7);
        const unsigned base = 32780 + 10 * static_cast<unsigned>(slot);
        for (int k = 1; k <= 5; ++k) {
            EXPECT_EQ(popup.ItemAt(k - 1)->id, base + static_cast<unsigned>(k));
            EXPECT_EQ(popup.ItemAt(k - 1)->text, title + "_" + keys[k - 1]);
        }
        EXPECT_EQ(popup.ItemAt(5)->type, MenuItem::Type::Separator);
        EXPECT_EQ(popup.ItemAt(6)->id, base);
        EXPECT_EQ(popup.ItemAt(6)->text, "Edit Entry");
    }
}

TEST(MenuResourcesTest, EachLoadIsAFreshCopyAndUnknownNumbersLoadNothing)
{
    std::optional<platform::Menu> first = tray::LoadMenu(129);
    first->GetSubMenu(0)->RemoveMenu(0);
    EXPECT_EQ(tray::LoadMenu(129)->GetSubMenu(0)->GetMenuItemCount(), 5);
    EXPECT_FALSE(tray::LoadMenu(130).has_value());
}
