#include "EntryMenu.h"

#include "PhoneBook.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using tray::EntryMenuItem;

namespace {

std::string Section(int n, const std::string& name, int pos, int deleted = 0,
                    const std::string& work = "")
{
    return "[Item" + std::to_string(n) + "]\nName=" + name + "\nHomePhone=\nWorkPhone=" + work +
           "\nCellPhone=\nBeeper=\nFax=\nPos=" + std::to_string(pos) +
           "\nDeleted=" + std::to_string(deleted) + "\n";
}

class EntryMenuTest : public ::testing::Test
{
protected:
    platform::Menu MenuFromFile(const std::string& contents)
    {
        testsupport::WriteFile(m_ini, contents);
        return tray::MakeEntryMenu(CPhoneBook(m_ini).LiveEntries());
    }

    static std::vector<std::string> SlotTitles(const platform::Menu& menu)
    {
        std::vector<std::string> titles;
        const platform::Menu& entries = *menu.GetSubMenu(0);
        for (int position = 0; position < entries.GetMenuItemCount(); ++position)
            titles.push_back(*entries.GetMenuStringByPosition(position));
        return titles;
    }

    static std::vector<std::string> SlotTexts(const platform::Menu& menu, int slot)
    {
        std::vector<std::string> texts;
        const platform::Menu& popup = *menu.GetSubMenu(0)->GetSubMenu(slot);
        for (int position = 0; position < popup.GetMenuItemCount(); ++position) {
            const platform::MenuItem& item = *popup.ItemAt(position);
            texts.push_back(item.type == platform::MenuItem::Type::Separator ? "-" : item.text);
        }
        return texts;
    }

    testsupport::TempFolder m_folder;
    std::filesystem::path m_ini = m_folder / "telmo.ini";
};

} // namespace

TEST_F(EntryMenuTest, LiveEntriesFillTheSlotsInNameOrderAndTheRestAreRemoved)
{
    platform::Menu menu =
        MenuFromFile("[General]\nCount=4\nTopPos=2\n" + Section(0, "Zoo", 2) +
                     Section(1, "Bakery", 0) + Section(2, "Gone", 1, 1) + Section(3, "Office", 1));
    EXPECT_EQ(SlotTitles(menu), (std::vector<std::string>{"Bakery", "Office", "Zoo"}));
    EXPECT_EQ(tray::FindEntryMenuItem(menu, 32810), nullptr); // slot 3 is gone
    EXPECT_EQ(tray::FindEntryMenuItem(menu, 32821), nullptr); // slot 4 too
    ASSERT_NE(tray::FindEntryMenuItem(menu, 32802), nullptr);
    EXPECT_EQ(tray::FindEntryMenuItem(menu, 32802)->section, "Item0");
}

TEST_F(EntryMenuTest, AnEntryWithOnlyAWorkNumberShowsEveryKind)
{
    platform::Menu menu =
        MenuFromFile("[General]\nCount=1\n" + Section(0, "Office", 0, 0, "1-800-Work-Now"));
    EXPECT_EQ(SlotTexts(menu, 0),
              (std::vector<std::string>{"Home:\t", "Work:\t1-800-Work-Now", "Cellphone:\t",
                                        "Fax:\t", "Beeper:\t", "-", "Edit Entry"}));
}

TEST_F(EntryMenuTest, EverySlotsIdsCarryItsEntryAndNumbersExactlyAsStored)
{
    std::string file = "[General]\nCount=5\nTopPos=4\n";
    const std::string longNumber(300, '7');
    for (int n = 0; n < 5; ++n)
        file += "[Item" + std::to_string(n) + "]\nName=Name " + std::to_string(n) +
                "\nHomePhone=H" + std::to_string(n) +
                "\nWorkPhone=1-800-Work-Now\nCellPhone=" + longNumber +
                "\nFax=123 Fax\nBeeper=Beeper:\t9\nPos=" + std::to_string(n) + "\nDeleted=0\n";
    platform::Menu menu = MenuFromFile(file);

    for (int slot = 0; slot < 5; ++slot) {
        const std::string name = "Name " + std::to_string(slot);
        const std::string expected[] = {"H" + std::to_string(slot), "1-800-Work-Now", longNumber,
                                        "123 Fax", "Beeper:\t9"};
        const char* labels[] = {"Home", "Work", "Cellphone", "Fax", "Beeper"};
        for (int k = 0; k <= 5; ++k) {
            const unsigned id = 32780 + 10 * static_cast<unsigned>(slot) + static_cast<unsigned>(k);
            EXPECT_EQ(tray::SlotFromCommand(id), slot);
            EXPECT_EQ(tray::KindOffsetFromCommand(id), k);
            const EntryMenuItem* item = tray::FindEntryMenuItem(menu, id);
            ASSERT_NE(item, nullptr) << id;
            EXPECT_EQ(item->section, "Item" + std::to_string(slot));
            EXPECT_EQ(item->name, name);
            EXPECT_EQ(item->number, k == 0 ? "" : expected[k - 1]) << id;
            EXPECT_EQ(item->kindLabel, k == 0 ? "" : labels[k - 1]) << id;
        }
    }
    // Ids between and around the slots belong to no item.
    for (unsigned id : {32779u, 32786u, 32789u, 32826u, 32830u})
        EXPECT_EQ(tray::FindEntryMenuItem(menu, id), nullptr) << id;
}

TEST_F(EntryMenuTest, AFileThatKeepsTheInvariantGivesExactlyTheStoredOrder)
{
    // Office was created first, Bakery second; Zoo was created and deleted.
    platform::Menu menu = MenuFromFile("[General]\nCount=3\nTopPos=1\n" + Section(0, "Office", 1) +
                                       Section(1, "Bakery", 0) + Section(2, "Zoo", 2, 1));
    EXPECT_EQ(SlotTitles(menu), (std::vector<std::string>{"Bakery", "Office"}));
}

TEST_F(EntryMenuTest, ABrokenInvariantStillShowsOnlyRealEntriesInPositionOrder)
{
    // A gap at 1, two entries at 3, one at 7: hand-edited.
    platform::Menu menu =
        MenuFromFile("[General]\nCount=4\nTopPos=2\n" + Section(0, "Seven", 7) +
                     Section(1, "Three", 3) + Section(2, "Zero", 0) + Section(3, "AlsoThree", 3));
    std::vector<std::string> titles = SlotTitles(menu);
    EXPECT_EQ(titles, (std::vector<std::string>{"Zero", "Three", "AlsoThree", "Seven"}));
    // Edit on a slot leads to the entry shown in it.
    EXPECT_EQ(tray::FindEntryMenuItem(menu, 32810)->section, "Item0");
    EXPECT_EQ(tray::FindEntryMenuItem(menu, 32810)->name, "Seven");
}

TEST_F(EntryMenuTest, MoreThanFiveLiveEntriesShowTheFirstFive)
{
    std::string file = "[General]\nCount=7\nTopPos=6\n";
    for (int n = 0; n < 7; ++n)
        file += Section(n, std::string(1, static_cast<char>('A' + n)), n);
    EXPECT_EQ(SlotTitles(MenuFromFile(file)), (std::vector<std::string>{"A", "B", "C", "D", "E"}));
}

TEST_F(EntryMenuTest, AMissingFileGivesAnEmptyEntriesPopup)
{
    platform::Menu menu = tray::MakeEntryMenu(CPhoneBook(m_ini).LiveEntries());
    ASSERT_NE(menu.GetSubMenu(0), nullptr);
    EXPECT_EQ(menu.GetSubMenu(0)->GetMenuItemCount(), 0);
}
