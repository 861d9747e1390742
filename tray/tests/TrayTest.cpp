#include "EntryMenu.h"
#include "MainDlg.h"
#include "NumberDlg.h"
#include "PhoneBookApp.h"
#include "ResourceIds.h"
#include "SessionPlatform.h"
#include "SystemTray.h"
#include "files/LockedFile.h"
#include "qt/LockedWrite.h"
#include "qt/MessageBox.h"
#include "qt/ModalRun.h"
#include "support/ChildProcess.h"
#include "support/FakeCommands.h"
#include "support/TelmoIni.h"
#include "support/TempFolder.h"
#include "support/Utf16Text.h"
#include "support/VanishedWorkingFolder.h"
#include "support/WaitUntil.h"

#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <map>
#include <sstream>
#include <sys/stat.h>

using platform::MessageResult;
using testsupport::ReadFile;
using testsupport::TelmoIni;
using testsupport::WriteFile;
using Texts = std::vector<std::string>;

namespace {

Texts PopupTexts(const platform::Menu& popup)
{
    Texts texts;
    for (int position = 0; position < popup.GetMenuItemCount(); ++position) {
        const platform::MenuItem& item = *popup.ItemAt(position);
        texts.push_back(item.type == platform::MenuItem::Type::Separator ? "-" : item.text);
    }
    return texts;
}

// The desktop as the tray icon sees it: a notification area that records what it is asked and
// lets tests click, and a menu tracker that records the popups shown and lets tests pick.
class FakeDesktop : public platform::NotifyIconService, public platform::MenuTracker
{
public:
    bool Add(const platform::NotifyIconData& icon) override
    {
        calls.push_back("add " + std::to_string(icon.id) + " " + icon.tip);
        lastAdded = icon;
        shownIcons += acceptAdds;
        return acceptAdds;
    }
    bool Modify(const platform::NotifyIconData& icon) override
    {
        lastAdded = icon;
        return true;
    }
    bool Delete(unsigned id) override
    {
        calls.push_back("delete " + std::to_string(id) + " menu " +
                        std::to_string(lentMenuItems()));
        shownIcons -= shownIcons > 0;
        return true;
    }
    void SetCallback(NotifyIconService::Callback callback) override { onClick = callback; }
    bool IsAreaAvailable() const override { return areaAvailable; }
    bool TrackPopupMenu(const platform::Menu& popup, std::optional<platform::ScreenPoint> at,
                        CommandHandler onCommand) override
    {
        shown.push_back(PopupTexts(popup));
        shownAt = at;
        choose = std::move(onCommand);
        return true;
    }
    void EndMenu() override { shown.push_back({"ended"}); }

    Texts calls;
    platform::NotifyIconData lastAdded;
    int shownIcons = 0;
    bool acceptAdds = true;
    bool areaAvailable = true;
    NotifyIconService::Callback onClick;
    std::function<int()> lentMenuItems = [] { return 0; };
    std::vector<Texts> shown;
    std::optional<platform::ScreenPoint> shownAt;
    CommandHandler choose;
};

// A phone book of one entry per "Name@pos" or "Name@pos fax", in section order; a leading '-'
// marks it deleted.
std::string Book(const Texts& entries)
{
    TelmoIni ini = TelmoIni().General(static_cast<int>(entries.size()));
    for (std::size_t n = 0; n < entries.size(); ++n) {
        const std::string& entry = entries[n];
        const int deleted = entry[0] == '-';
        const std::size_t at = entry.find('@'), blank = entry.find(' ', at);
        const std::string fax = blank == std::string::npos ? "" : entry.substr(blank + 1);
        ini.Item(static_cast<int>(n), entry.substr(deleted, at - deleted), {"", "", "", fax},
                 std::stoi(entry.substr(at + 1)), deleted);
    }
    return ini;
}

platform::Menu MenuFromFile(const std::string& contents)
{
    testsupport::TempFolder folder;
    WriteFile(folder / "telmo.ini", contents);
    return tray::MakeEntryMenu(CPhoneBook(folder / "telmo.ini").LiveEntries());
}

// The process holding a lock taken with flock on the file, as the kernel lists it; 0 for none.
pid_t LockHolder(const std::filesystem::path& file)
{
    struct stat status = {};
    std::ifstream locks("/proc/locks"); // "1: FLOCK  ADVISORY  WRITE 1234 08:01:5678 0 EOF"
    std::string number, kind, type, mode, inode;
    pid_t pid = 0;
    while (stat(file.c_str(), &status) == 0 &&
           locks >> number >> kind >> type >> mode >> pid >> inode) {
        if (kind == "FLOCK" && inode.ends_with(":" + std::to_string(status.st_ino)))
            return pid;
        locks.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    return 0;
}

} // namespace

TEST(EntryMenuTest, LiveEntriesFillTheSlotsInPositionOrderAndTheRestAreRemoved)
{
    const std::pair<Texts, Texts> rows[] = {
        // the book's entries, the slots shown
        {{"Zoo@2", "Bakery@0", "-Gone@1", "Office@1"}, {"Bakery", "Office", "Zoo"}},
        {{"Seven@7", "Three@3", "Zero@0", "Also@3"}, {"Zero", "Three", "Also", "Seven"}},
        {{"A@0", "B@1", "C@2", "D@3", "E@4", "F@5", "G@6"}, {"A", "B", "C", "D", "E"}},
    };
    for (const auto& [entries, titles] : rows) {
        const platform::Menu menu = MenuFromFile(Book(entries));
        EXPECT_EQ(PopupTexts(*menu.GetSubMenu(0)), titles) << entries.size();
        const int shown = static_cast<int>(titles.size());
        for (int slot = 0; slot < shown; ++slot)
            EXPECT_EQ(tray::FindEntryMenuItem(menu, 32780 + 10 * slot)->name, titles[slot]);
        EXPECT_EQ(tray::FindEntryMenuItem(menu, tray::EntryCommandId(shown, 1)), nullptr);
    }
}

TEST(EntryMenuTest, EachItemCarriesItsEntryAndNumberExactlyAsStored)
{
    const std::string longNumber(300, '7');
    TelmoIni ini = TelmoIni().General(2).Item(1, "Office", {"", "1-800-Work"}, 1);
    const platform::Menu menu =
        MenuFromFile(ini.Item(0, "Bakery", {"H", "", longNumber, "1 Fax", "B:\t9"}));
    EXPECT_EQ(PopupTexts(*menu.GetSubMenu(0)->GetSubMenu(1)),
              (Texts{"Home:\t", "Work:\t1-800-Work", "Cellphone:\t", "Fax:\t", "Beeper:\t", "-",
                     "Edit Entry"}));
    const Texts numbers = {"", "H", "", longNumber, "1 Fax", "B:\t9"};
    const Texts labels = {"", "Home", "Work", "Cellphone", "Fax", "Beeper"};
    for (unsigned offset = 0; offset <= 5; ++offset) {
        const tray::EntryMenuItem* item = tray::FindEntryMenuItem(menu, 32780 + offset);
        ASSERT_NE(item, nullptr) << offset;
        EXPECT_EQ((Texts{item->section, item->name, item->number, item->kindLabel}),
                  (Texts{"Item0", "Bakery", numbers[offset], labels[offset]}));
    }
}

TEST(SystemTrayTest, HideShowAndRemoveKeepTheAreaInStepWithTheSameIcon)
{
    // Whether the area takes the icon, Hide/Show/Remove in turn, what the area was asked.
    const std::tuple<bool, const char*, Texts> rows[] = {
        {true, "S", {"add 129 Telmo"}},
        {true, "HHS", {"add 129 Telmo", "delete 129 menu 0", "add 129 Telmo"}},
        {true, "RRHS", {"add 129 Telmo", "delete 129 menu 0"}},
        {false, "HSR", {"add 129 Telmo"}}};
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::blue);
    for (const auto& [accepts, operations, calls] : rows) {
        FakeDesktop desktop;
        desktop.acceptAdds = accepts;
        CSystemTray tray(desktop, desktop, [](unsigned) {});
        EXPECT_EQ(tray.Create("Telmo", QIcon(pixmap), 129), accepts);
        for (const char* operation = operations; *operation; ++operation)
            *operation == 'H'   ? tray.HideIcon()
            : *operation == 'S' ? tray.ShowIcon()
                                : tray.RemoveIcon();
        EXPECT_EQ(desktop.calls, calls) << operations;
        EXPECT_EQ(desktop.lastAdded.icon.pixmap(16).toImage(), pixmap.toImage()) << operations;
    }
}

TEST(SystemTrayTest, ClicksOnTheIconShowItsMenusAndTheTrayTidiesUpAtTheEnd)
{
    FakeDesktop desktop;
    std::vector<unsigned> commands;
    platform::Menu menu;
    {
        CSystemTray tray(desktop, desktop, [&](unsigned id) { commands.push_back(id); });
        ASSERT_TRUE(tray.Create(std::string(63, 't') + "cut", QIcon(), 129));
        EXPECT_EQ(desktop.lastAdded.tip, std::string(63, 't'));
        EXPECT_EQ(desktop.lastAdded.rightClickMenu->GetMenuStringByCommand(32775),
                  "Import Entries");
        desktop.lastAdded.onMenuCommand(32773);
        EXPECT_EQ(tray.OnIconNotification(129, 514), 0) << "no menu lent yet";

        platform::Menu entries;
        entries.AppendPopup("Bakery", platform::Menu{});
        menu.AppendPopup("Entries", std::move(entries));
        EXPECT_TRUE(tray.SetLeftClickMenu(&menu));
        // The area that draws menus itself gets the entries as they are now.
        menu.GetSubMenu(0)->ModifyMenuByPosition(0, "Changed");
        EXPECT_EQ(PopupTexts(*desktop.lastAdded.leftClickMenu), Texts{"Bakery"});
        // Icon, mouse message, the first item of the popup shown.
        const std::tuple<unsigned, unsigned, std::string> rows[] = {
            {129, 514, "Changed"},   {129, 0x10000 | 514, "Changed"},
            {129, 517, "New Entry"}, {130, 514, ""},
            {130, 517, ""},          {129, 513, ""}};
        const platform::ScreenPoint clicked{780, 15};
        for (const auto& [icon, message, firstItem] : rows) {
            SCOPED_TRACE(message);
            desktop.shown.clear();
            desktop.shownAt.reset();
            EXPECT_EQ(tray.OnIconNotification(icon, message, clicked), icon == 129 ? 1 : 0);
            EXPECT_EQ(desktop.shown.empty() ? "" : desktop.shown[0][0], firstItem);
            EXPECT_EQ(desktop.shownAt == clicked, !firstItem.empty()) << "at the area's point";
        }
        desktop.lastAdded.onAreaMenuOpened();
        EXPECT_EQ(desktop.shown.back(), Texts{"ended"});
        desktop.choose(32771);
        desktop.lentMenuItems = [&] { return menu.GetMenuItemCount(); };
    }
    EXPECT_EQ(commands, (std::vector<unsigned>{32773, 32771}));
    EXPECT_EQ(desktop.calls.back(), "delete 129 menu 0") << "the lent menu goes first";
    EXPECT_FALSE(desktop.onClick);
}

TEST(SessionPlatformTest, AWaylandSessionWithXWaylandRunsTheProgramAsAnXClient)
{
    const std::pair<const char*, const char*> rows[] = {
        {"XDG_SESSION_TYPE=wayland DISPLAY=:1", "xcb"},
        {"QT_QPA_PLATFORM=wayland;xcb WAYLAND_DISPLAY=w DISPLAY=:0", "xcb"},
        {"WAYLAND_DISPLAY=wayland-0", ""}, // no XWayland
        {"TELMO_QT_PLATFORM=wayland WAYLAND_DISPLAY=w DISPLAY=:0", "wayland"},
        {"QT_QPA_PLATFORM=offscreen WAYLAND_DISPLAY=w DISPLAY=:0", ""},
    };
    for (const auto& [environment, platform] : rows) {
        std::map<std::string, std::string> values;
        std::istringstream words(environment);
        for (std::string word; words >> word;)
            values[word.substr(0, word.find('='))] = word.substr(word.find('=') + 1);
        EXPECT_EQ(tray::QtPlatformFor([&](const char* name) { return values[name]; }), platform)
            << environment;
    }
}

namespace {

// In menu order Bakery (Item2), Office (Item0) and Zoo (Item1).
const std::string kThreeEntries = Book({"Office@1", "Zoo@2 123 Fax", "Bakery@0"});
const std::string kFiveEntries = Book({"A@0", "B@1", "C@2", "D@3", "E@4"});

class MainDlgTest : public ::testing::Test
{
protected:
    CMainDlg& Start(const std::string& contents = "")
    {
        WriteFile(m_ini, contents);
        m_dialog = std::make_unique<CMainDlg>(m_ini, m_desktop, m_desktop,
                                              [this](unsigned) { m_opened.push_back("app"); });
        m_dialog->OnInitDialog();
        return *m_dialog;
    }

    QLineEdit* Field(int id) { return m_dialog->findChild<QLineEdit*>(QString::number(id)); }
    std::string Text(int id) { return Field(id)->text().toStdString(); }
    QPushButton* Button(const char* id) { return m_dialog->findChild<QPushButton*>(id); }
    bool DeleteEnabled() { return Button("1003")->isEnabled(); }
    void Click(const char* id) { QTest::mouseClick(Button(id), Qt::LeftButton); }
    bool EditorVisible() { return m_dialog->isVisible(); }
    Texts EntryTitles() // what a left click shows
    {
        m_desktop.onClick(129, 514, std::nullopt);
        return m_desktop.shown.back();
    }

    testsupport::TempFolder m_folder;
    std::filesystem::path m_ini = m_folder / "telmo.ini";
    FakeDesktop m_desktop;
    std::vector<QString> m_opened;
    std::unique_ptr<CMainDlg> m_dialog;
};

} // namespace

TEST_F(MainDlgTest, StartsHiddenWithTheIconAndTheMenuThatRefreshRebuilds)
{
    Start(kThreeEntries).show(); // nothing shows the window while the editor is closed
    EXPECT_FALSE(EditorVisible());
    EXPECT_EQ(m_desktop.calls, Texts{"add 129 Telmo"});
    WriteFile(m_ini, Book({"Cafe@0"}));
    EXPECT_EQ(EntryTitles(), (Texts{"Bakery", "Office", "Zoo"}));
    m_dialog->OnCommand(33277);
    EXPECT_EQ(EntryTitles(), Texts{"Cafe"});
}

TEST_F(MainDlgTest, EachCommandAndCardResultOpensWhatItNamesAndCancelWritesNothing)
{
    // The command, the card's answer, what opened: a dialog's number, "card", or "app" (passed on).
    const std::tuple<unsigned, int, std::vector<QString>> rows[] = {
        {32772, 0, {"144"}},
        {57664, 0, {"100"}},
        {57670, 0, {"app"}},
        {32781, CNumberDlg::kResultClose, {"card"}},
        {32781, CNumberDlg::kResultSettings, {"card", "144"}}};
    for (const auto& [command, cardResult, opened] : rows) {
        CMainDlg& dialog = Start(kThreeEntries);
        m_opened.clear();
        platform::ScopedModalAnswers answers([&](QDialog& shown) {
            const bool card = dynamic_cast<CNumberDlg*>(&shown);
            m_opened.push_back(card ? "card" : shown.objectName());
            return card ? cardResult : int(QDialog::Rejected);
        });
        dialog.OnCommand(command);
        EXPECT_EQ(m_opened, opened) << command;
        EXPECT_FALSE(EditorVisible());
        EXPECT_EQ(ReadFile(m_ini), kThreeEntries);
    }
}

TEST_F(MainDlgTest, TheCardsEditOpensThePickedEntryAtItsKindEvenAfterARefresh)
{
    CMainDlg& dialog = Start(kThreeEntries);
    Texts card;
    platform::ScopedModalAnswers answers([&](QDialog& shown) {
        auto& number = dynamic_cast<CNumberDlg&>(shown);
        card = {number.m_strName, number.m_strNumber, number.m_strKind};
        WriteFile(m_ini, Book({"Ann@0"})); // Zoo's slot is Ann's now
        dialog.OnRefresh();
        WriteFile(m_ini, kThreeEntries);
        return CNumberDlg::kResultEdit;
    });
    EntryTitles();
    m_desktop.choose(32804); // Fax of Zoo
    EXPECT_EQ(card, (Texts{"Zoo", "123 Fax", "Fax:"}));
    EXPECT_TRUE(EditorVisible() && DeleteEnabled() && m_desktop.shownIcons == 0);
    EXPECT_EQ((Texts{Text(1000), Text(1010)}), (Texts{"Zoo", "123 Fax"}));
    EXPECT_EQ(m_dialog->focusWidget(), Field(1010));
}

TEST_F(MainDlgTest, EditEntryOpensTheEntryOfItsSlotOrANewOneWhenItIsGone)
{
    // The book at the start, as another program left it then, the command, the name shown.
    const std::tuple<std::string, std::string, unsigned, std::string> rows[] = {
        {Book({"Seven@7", "Zero@0"}), "", 32790, "Seven"},
        // In a Windows-1252 book, also a name whose bytes happen to be valid UTF-8 too
        {Book({"REN\xC9\xA0"
               "DUPONT@0",
               "-Jos\xE9@1"}),
         "", 32780, "RENÉ\u00A0DUPONT"},
        {kThreeEntries, Book({"Office@1", "-Zoo@2", "Bakery@0"}), 32800, ""},
        {kThreeEntries, Book({"Ann@0"}), 32790, ""}}; // Office's section reused
    for (const auto& [start, meanwhile, command, name] : rows) {
        CMainDlg& dialog = Start(start);
        WriteFile(m_ini, meanwhile.empty() ? start : meanwhile);
        dialog.OnCommand(command);
        EXPECT_EQ(Text(1000), name) << command;
        EXPECT_TRUE(EditorVisible() && m_dialog->focusWidget() == Field(1000));
        EXPECT_EQ(DeleteEnabled(), !name.empty());
    }
}

TEST_F(MainDlgTest, EscapeCloseBoxAndMinimiseOnlyHideTheEditorAndEnterSavesIt)
{
    CMainDlg& dialog = Start(kThreeEntries);
    const std::function<void()> ways[] = {[&] { QTest::keyClick(Field(1000), Qt::Key_Escape); },
                                          [&] { dialog.close(); }, [&] { dialog.showMinimized(); }};
    for (const auto& hide : ways) {
        dialog.OnCommand(32780);
        Field(1000)->setText("Typed");
        hide();
        EXPECT_TRUE(!EditorVisible() && !dialog.isMinimized() && m_desktop.shownIcons == 1);
    }
    EXPECT_EQ(ReadFile(m_ini), kThreeEntries);
    dialog.OnCommand(32771);
    EXPECT_TRUE(EditorVisible() && !DeleteEnabled() && m_desktop.shownIcons == 0);
    EXPECT_EQ(m_dialog->focusWidget(), Field(1000));

    const int fields[] = {1000, 1002, 1006, 1007, 1010, 1008};
    for (int i = 0; i < 6; ++i)
        Field(fields[i])->setText(QString::number(i));
    QTest::keyClick(Field(1008), Qt::Key_Return);
    EXPECT_TRUE(!EditorVisible() && m_desktop.shownIcons == 1);
    const PhoneEntry saved = CPhoneBook(m_ini).LiveEntries()[0];
    EXPECT_EQ((Texts{saved.name, saved.homePhone, saved.workPhone, saved.cellPhone, saved.fax,
                     saved.beeper}),
              (Texts{"0", "1", "2", "3", "4", "5"}));
    EXPECT_EQ(EntryTitles(), (Texts{"0", "Bakery", "Office", "Zoo"}));
}

TEST_F(MainDlgTest, AUtf16BookIsEditedInItsOwnEncoding)
{
    const auto book = [](const char* home) {
        const std::string text = TelmoIni().General(1).Item(0, "Zoë", {home});
        return testsupport::Utf16(QString::fromStdString(text).toStdU16String(), true);
    };
    CMainDlg& dialog = Start(book("1"));
    EXPECT_EQ(EntryTitles(), Texts{"Zoë"});
    dialog.OnCommand(32780);
    Field(1002)->setText("2");
    Click("1005");
    EXPECT_EQ(ReadFile(m_ini), book("2"));
}

TEST_F(MainDlgTest, DeleteAsksWithTheTypedNameAndOnlyYesDeletes)
{
    CMainDlg& dialog = Start(kThreeEntries);
    dialog.OnCommand(32790); // Office
    Field(1000)->setText("Offices");
    for (MessageResult answer : {MessageResult::No, MessageResult::Yes}) {
        platform::ScopedMessageBoxAnswers answers(answer);
        Click("1003");
        EXPECT_EQ(answers.shown().at(0).text, "Delete Offices?");
        EXPECT_EQ(EditorVisible(), answer == MessageResult::No);
    }
    EXPECT_EQ(EntryTitles(), (Texts{"Bakery", "Zoo"}));
}

TEST_F(MainDlgTest, AChangeTheBookRefusesIsExplainedAndWritesNothing)
{
    CMainDlg& dialog = Start(kFiveEntries);
    platform::ScopedMessageBoxAnswers answers(MessageResult::Yes);
    dialog.OnCommand(32771);
    EXPECT_FALSE(EditorVisible());
    dialog.OnCommand(32780); // A, which another program then replaces
    WriteFile(m_ini, Book({"Ann@0"}));
    Click("1003");
    dialog.OnCommand(32780); // Ann, whose section then goes back to A
    WriteFile(m_ini, kFiveEntries);
    Click("1005");
    ASSERT_EQ(answers.shown().size(), 4u); // limit, question, entry gone, limit
    EXPECT_EQ(answers.shown()[2].text, "A is no longer in the phone book. Nothing was deleted.");
    EXPECT_TRUE(answers.shown()[0].text == tray::kLimitMessage &&
                answers.shown()[3].text == tray::kLimitMessage);
    EXPECT_EQ(ReadFile(m_ini), kFiveEntries);
}

TEST_F(MainDlgTest, AFailedWriteSaysSoAndKeepsTheEditorWithTheTypedText)
{
    CMainDlg& dialog = Start(kThreeEntries);
    dialog.OnCommand(32790);
    Field(1000)->setText("Renamed");
    // The folder becomes a plain file: nothing can be written there, whoever we are.
    const std::filesystem::path moved = m_folder.path().string() + "-moved";
    std::filesystem::rename(m_folder.path(), moved);
    WriteFile(m_folder.path(), "not a folder");
    platform::ScopedMessageBoxAnswers answers(MessageResult::Yes);
    Click("1005");
    Click("1003");
    ASSERT_EQ(answers.shown().size(), 3u); // the failed save, the question, the failed delete
    EXPECT_NE(answers.shown()[0].text.find("could not be saved"), std::string::npos);
    EXPECT_EQ(answers.shown()[0].text, answers.shown()[2].text);
    EXPECT_TRUE(EditorVisible() && Text(1000) == "Renamed");
    std::filesystem::remove(m_folder.path());
    std::filesystem::rename(moved, m_folder.path());
}

TEST_F(MainDlgTest, ASaveWhileAnotherProgramHoldsTheBookNamesItAndTriesAgainWhenAsked)
{
    CMainDlg& dialog = Start(kThreeEntries);
    dialog.OnCommand(32790);
    Field(1000)->setText("Renamed");
    auto held = std::make_optional(testsupport::HoldFileLock(platform::LockFileOf(m_ini)));
    // No; then Yes while the other program holds on, and Yes once it has let go.
    const MessageResult answers[] = {MessageResult::No, MessageResult::Yes, MessageResult::Yes};
    platform::ScopedMessageBoxAnswers asked([&](const platform::MessageBoxRequest&) {
        if (asked.shown().size() == 3)
            held.reset();
        return answers[asked.shown().size() - 1];
    });
    Click("1005");
    EXPECT_TRUE(asked.shown().size() == 1 && EditorVisible() && Text(1000) == "Renamed");
    Click("1005");
    ASSERT_EQ(asked.shown().size(), 3u);
    EXPECT_EQ(asked.shown()[2].text, platform::HeldFileQuestion(m_ini));
    EXPECT_EQ(EntryTitles(), (Texts{"Bakery", "Renamed", "Zoo"}));
}

TEST_F(MainDlgTest, WithoutANotificationAreaTheUserIsToldOnceAndNoEndsTelmo)
{
    // The look at which the area appears (-1: never), the answer, the look that brought the
    // notice (-1: none), whether Telmo still runs.
    const int last = CMainDlg::kSecondsBeforeNoAreaNotice - 1;
    const std::tuple<int, MessageResult, int, bool> rows[] = {{-1, MessageResult::No, last, false},
                                                              {-1, MessageResult::Yes, last, true},
                                                              {1, MessageResult::No, -1, true}};
    for (const auto& [areaComesAt, answer, noticeAt, running] : rows) {
        m_desktop.areaAvailable = false;
        CMainDlg& dialog = Start();
        platform::ScopedMessageBoxAnswers answers(answer);
        int noticed = -1;
        for (int look = 0; look < 3 * CMainDlg::kSecondsBeforeNoAreaNotice; ++look) {
            m_desktop.areaAvailable = areaComesAt >= 0 && look >= areaComesAt;
            dialog.OnTrayAreaLook();
            noticed = noticed < 0 && !answers.shown().empty() ? look : noticed;
        }
        EXPECT_EQ(noticed, noticeAt);
        EXPECT_EQ(answers.shown().size(), noticeAt < 0 ? 0u : 1u);       // once
        EXPECT_EQ(dialog.EntryMenu().GetSubMenu(0) != nullptr, running); // Exit destroys it
    }
}

TEST_F(MainDlgTest, ImportStartsTheWizardFromTheWorkingDirectoryAndFailuresAreSilent)
{
    CMainDlg& dialog = Start();
    testsupport::FakeCommands nothingOnPath; // no opener for the missing export program
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(m_folder.path());
    WriteFile(m_folder / "telmo-import", "#!/bin/sh\n: >imported\n");
    std::filesystem::permissions(m_folder / "telmo-import", std::filesystem::perms::owner_all);
    platform::ScopedMessageBoxAnswers answers;
    dialog.OnCommand(32775);
    dialog.OnCommand(32774);
    std::filesystem::current_path(previous);
    EXPECT_TRUE(
        testsupport::WaitUntil([&] { return std::filesystem::exists(m_folder / "imported"); }));
    EXPECT_TRUE(answers.shown().empty());
}

TEST(PhoneBookAppTest, AWorkingFolderDeletedBeforeTheStartStillNamesThePhoneBook)
{
    testsupport::VanishedWorkingFolder vanished;
    EXPECT_EQ(CPhoneBookApp::ProfilePath(), "telmo.ini");
}

TEST(SingleInstanceAppTest, ASecondStartEndsAtOnceAndLeavesTheFirstRunning)
{
    testsupport::TempFolder runtime, first, second;
    // A runtime folder that others could reach would not be used for the lock.
    std::filesystem::permissions(runtime.path(), std::filesystem::perms::owner_all);
    auto start = [&](const testsupport::TempFolder& folder) {
        return testsupport::ChildProcess(
            TELMO_EXECUTABLE, {}, {folder.path(), {"XDG_RUNTIME_DIR=" + runtime.path().string()}});
    };

    testsupport::ChildProcess telmo = start(first);
    ASSERT_TRUE(testsupport::WaitUntil([&] {
        return LockHolder(runtime / "TelmoMutex.lock") == telmo.Pid();
    })) << "the first start never took the lock";
    testsupport::ChildProcess again = start(second);
    EXPECT_EQ(testsupport::ExitCode(again.WaitForExit()), 0);
    EXPECT_TRUE(std::filesystem::is_empty(second.path())) << "the second start touched a file";
    EXPECT_TRUE(telmo.Running());
}
