#include "NotifyIcon.h"

#include <QApplication>
#include <QPixmap>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

using platform::SystemTrayIconService;

namespace {

QIcon RedIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    return QIcon(pixmap);
}

class NotifyIconTest : public ::testing::Test
{
protected:
    QSystemTrayIcon* IconOf(SystemTrayIconService& service, const std::string& tip)
    {
        for (QSystemTrayIcon* icon : service.findChildren<QSystemTrayIcon*>()) {
            if (icon->toolTip() == QString::fromStdString(tip))
                return icon;
        }
        return nullptr;
    }

    int m_argc = 1;
    char m_name[6] = "telmo";
    char* m_argv[1] = {m_name};
    QApplication m_app{m_argc, m_argv};
};

} // namespace

TEST_F(NotifyIconTest, ActivationsBecomeTheMouseMessagesOfTheOriginalPlatform)
{
    EXPECT_EQ(SystemTrayIconService::MouseMessageFor(QSystemTrayIcon::Trigger), 514u);
    EXPECT_EQ(SystemTrayIconService::MouseMessageFor(QSystemTrayIcon::Context), 517u);
    // A double click is no button release: the owner ignores it, so it opens no second menu.
    EXPECT_EQ(SystemTrayIconService::MouseMessageFor(QSystemTrayIcon::DoubleClick), 515u);
    EXPECT_EQ(SystemTrayIconService::MouseMessageFor(QSystemTrayIcon::Unknown), 0u);
}

TEST_F(NotifyIconTest, ClicksReachTheCallbackWithTheIconsId)
{
    SystemTrayIconService service;
    std::vector<std::pair<unsigned, unsigned>> calls;
    service.SetCallback([&](unsigned id, unsigned message) { calls.emplace_back(id, message); });
    ASSERT_TRUE(service.Add({129, RedIcon(), "Telmo"}));
    ASSERT_TRUE(service.Add({7, RedIcon(), "Other"}));

    QSystemTrayIcon* telmo = IconOf(service, "Telmo");
    ASSERT_NE(telmo, nullptr);
    EXPECT_EQ(telmo->contextMenu(), nullptr);
    emit telmo->activated(QSystemTrayIcon::Context);
    emit IconOf(service, "Other")->activated(QSystemTrayIcon::Trigger);
    emit telmo->activated(QSystemTrayIcon::Unknown);

    std::vector<std::pair<unsigned, unsigned>> expected{{129, 517}, {7, 514}};
    EXPECT_EQ(calls, expected);
}

TEST_F(NotifyIconTest, AnIdIsAddedOnceAndDeletedOnce)
{
    SystemTrayIconService service;
    ASSERT_TRUE(service.Add({129, RedIcon(), "Telmo"}));
    EXPECT_FALSE(service.Add({129, RedIcon(), "Again"}));
    EXPECT_TRUE(service.Delete(129));
    EXPECT_EQ(IconOf(service, "Telmo"), nullptr);
    EXPECT_FALSE(service.Delete(129));
    EXPECT_TRUE(service.Add({129, RedIcon(), "Telmo"}));
}
