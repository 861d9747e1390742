#include "MenuTracking.h"

#include <QApplication>
#include <QMenu>
#include <gtest/gtest.h>
#include <vector>

using platform::Menu;

namespace {

Menu MakePopup()
{
    Menu submenu;
    submenu.AppendCommand(32775, "Import Entries");
    Menu popup;
    popup.AppendCommand(32771, "Ben & Jerry")
        .AppendCommand(32782, "Work:\t1-800-Work-Now")
        .AppendPopup("Import/Export", std::move(submenu))
        .AppendPopup("M\xFCller", Menu()) // Windows-1252, from a carried-over phone book
        .AppendSeparator()
        .AppendCommand(32773, "Exit");
    return popup;
}

class MenuTrackingTest : public ::testing::Test
{
protected:
    int m_argc = 1;
    char m_name[6] = "telmo";
    char* m_argv[1] = {m_name};
    QApplication m_app{m_argc, m_argv};
};

} // namespace

TEST_F(MenuTrackingTest, QMenuShowsTheModelsTextsOrderAndIds)
{
    std::unique_ptr<QMenu> menu = platform::CreateQMenu(MakePopup());
    QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 6);
    // '&' is shown as itself rather than taken as a mnemonic marker.
    EXPECT_EQ(actions[0]->text(), "Ben && Jerry");
    EXPECT_EQ(actions[0]->data().toUInt(), 32771u);
    EXPECT_EQ(actions[1]->text(), "Work:\t1-800-Work-Now");
    ASSERT_NE(actions[2]->menu(), nullptr);
    EXPECT_EQ(actions[2]->text(), "Import/Export");
    EXPECT_EQ(actions[2]->menu()->actions().at(0)->data().toUInt(), 32775u);
    EXPECT_EQ(actions[3]->text(), QString::fromUtf8("M\xC3\xBCller"));
    EXPECT_TRUE(actions[4]->isSeparator());
    EXPECT_EQ(actions[5]->data().toUInt(), 32773u);
}

TEST_F(MenuTrackingTest, TheChosenIdReachesTheOwnerAfterTheMenuClosed)
{
    platform::QMenuTracker tracker;
    std::vector<unsigned> commands;
    ASSERT_TRUE(tracker.TrackPopupMenu(MakePopup(), [&](unsigned id) { commands.push_back(id); }));
    QMenu* open = tracker.OpenMenu();
    ASSERT_NE(open, nullptr);

    QAction* import = open->actions().at(2)->menu()->actions().at(0);
    import->trigger();
    open->close();
    EXPECT_TRUE(commands.empty());
    QApplication::processEvents();
    EXPECT_EQ(commands, std::vector<unsigned>{32775});
    EXPECT_EQ(tracker.OpenMenu(), nullptr);
}

TEST_F(MenuTrackingTest, ASecondRequestWhileAMenuIsOpenShowsNothing)
{
    platform::QMenuTracker tracker;
    ASSERT_TRUE(tracker.TrackPopupMenu(MakePopup(), [](unsigned) {}));
    QMenu* first = tracker.OpenMenu();
    EXPECT_FALSE(tracker.TrackPopupMenu(MakePopup(), [](unsigned) {}));
    EXPECT_EQ(tracker.OpenMenu(), first);

    first->close();
    QApplication::processEvents();
    EXPECT_TRUE(tracker.TrackPopupMenu(MakePopup(), [](unsigned) {}));
}
