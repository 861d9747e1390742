#include "NumberDlg.h"

#include "Images.h"
#include "MessageBox.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

// What a run returns when the action under test did not end the card.
constexpr int kStillOpen = -1;

// The application lives for all tests and goes before the program's own teardown, which
// would otherwise destroy Qt's input devices under it.
class ApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { m_app = std::make_unique<QApplication>(m_argc, m_argv); }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[18] = "number_card_tests";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] const auto* const g_application =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

class NumberDlgTest : public ::testing::Test
{
protected:
    void SetUp() override { QGuiApplication::clipboard()->setText(QStringLiteral("before")); }

    std::filesystem::path IniPath() const { return m_folder / "telmo.ini"; }

    // A card as the tray menu fills it for one number of one entry.
    static void Fill(CNumberDlg& card, std::string name, std::string number, std::string kind)
    {
        card.m_strName = std::move(name);
        card.m_strNumber = std::move(number);
        card.m_strKind = std::move(kind);
    }

    template <class Control = QWidget> static Control* Find(const CNumberDlg& card, const char* id)
    {
        auto* control = card.findChild<Control*>(QLatin1String(id));
        EXPECT_NE(control, nullptr) << "no control " << id;
        return control;
    }

    static QString Shown(const CNumberDlg& card, const char* id)
    {
        return Find<QLabel>(card, id)->text();
    }

    static void Click(const CNumberDlg& card, const char* id)
    {
        QTest::mouseClick(Find<QPushButton>(card, id), Qt::LeftButton);
    }

    static QString Clipboard() { return QGuiApplication::clipboard()->text(); }

    // Runs the card modally, as the tray does, with `action` done inside the run.
    static int Run(CNumberDlg& card, const std::function<void()>& action)
    {
        QMetaObject::invokeMethod(
            &card,
            [&card, action] {
                action();
                if (card.isVisible())
                    card.done(kStillOpen);
            },
            Qt::QueuedConnection);
        return card.exec();
    }

    static QImage Picture(const QLabel& label)
    {
        return label.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    }

    testsupport::TempFolder m_folder;

    static QImage Drawn(int picture, const QLabel& label)
    {
        return telmo::ImagePixmap(picture, QSize(16, 16), label.pixmap().devicePixelRatio())
            .toImage()
            .convertToFormat(QImage::Format_ARGB32);
    }
};

TEST_F(NumberDlgTest, FaxCardForAnnShowsNameKindPictureAndNumberInLargeType)
{
    CNumberDlg card(IniPath());
    Fill(card, "Ann", "555-0199", "Fax:");
    card.show();

    EXPECT_EQ(card.windowTitle(), QStringLiteral("Ann"));
    EXPECT_EQ(Shown(card, "1006"), QStringLiteral("Ann"));
    EXPECT_EQ(Shown(card, "1001"), QStringLiteral("Fax:"));
    EXPECT_EQ(Shown(card, "1007"), QStringLiteral("555-0199"));
    EXPECT_EQ(Find(card, "1006")->font().pointSize(), 12);
    EXPECT_EQ(Find(card, "1007")->font().pointSize(), 12);
    EXPECT_EQ(card.focusWidget(), Find(card, "1"));

    const QLabel& kind = *Find<QLabel>(card, "1012");
    EXPECT_EQ(Picture(kind), Drawn(telmo::image::kFax, kind));
    int namePictures = 0;
    for (const QLabel* label : card.findChildren<QLabel*>())
        namePictures += Picture(*label) == Drawn(telmo::image::kName, *label);
    EXPECT_EQ(namePictures, 1);
}

TEST_F(NumberDlgTest, TextsAreShownExactlyAsGiven)
{
    CNumberDlg card(IniPath());
    Fill(card, "<b>Zo\xc3\xab</b> & Co [*]", "1-800-Work-Now", "Work:");
    card.show();
    const QString name = QString::fromUtf8("<b>Zo\xc3\xab</b> & Co [*]");
    EXPECT_EQ(Shown(card, "1006"), name);
    EXPECT_EQ(Find<QLabel>(card, "1006")->textFormat(), Qt::PlainText);
    EXPECT_EQ(Shown(card, "1007"), QStringLiteral("1-800-Work-Now"));
    ASSERT_NE(card.windowHandle(), nullptr);
    EXPECT_EQ(card.windowHandle()->title(), name);

    CNumberDlg carriedOver(IniPath());
    Fill(carriedOver, "M\xFCller", "1", "Work:"); // Windows-1252, as the original platform wrote
    carriedOver.show();
    EXPECT_EQ(Shown(carriedOver, "1006"), QString::fromUtf8("M\xC3\xBCller"));

    const std::string longNumber(300, '7');
    CNumberDlg longCard(IniPath());
    Fill(longCard, "Ann", longNumber, "Home:");
    longCard.show();
    EXPECT_EQ(Shown(longCard, "1007").toStdString(), longNumber);
}

TEST_F(NumberDlgTest, KindOutsideTheFiveShowsNoPicture)
{
    for (const char* kind : {"Pager:", "fax:", ""}) {
        SCOPED_TRACE(kind);
        CNumberDlg card(IniPath());
        Fill(card, "Ann", "555-0199", kind);
        card.show();
        EXPECT_TRUE(Find<QLabel>(card, "1012")->pixmap().isNull());
        EXPECT_EQ(Shown(card, "1001"), QString::fromLatin1(kind));
    }
}

TEST_F(NumberDlgTest, CopiesPutExactlyTheTextOnTheClipboardAndTheCardStaysOpen)
{
    const std::string name = "Zo\xc3\xab \xc3\x96sel";
    CNumberDlg card(IniPath());
    Fill(card, name, "1-800-Work-Now", "Work:");
    EXPECT_EQ(Run(card,
                  [&] {
                      Click(card, "1014");
                      const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
                      EXPECT_EQ(copied->formats(), QStringList{QStringLiteral("text/plain")});
                      EXPECT_EQ(copied->text().toLocal8Bit().toStdString(), name);

                      Click(card, "1013");
                      EXPECT_EQ(Clipboard(), QStringLiteral("1-800-Work-Now"));
                  }),
              kStillOpen);
}

TEST_F(NumberDlgTest, CopyingEmptyTextLeavesTheClipboardAsItWas)
{
    CNumberDlg card(IniPath());
    Fill(card, "", "", "Beeper:");
    card.show();
    Click(card, "1013");
    EXPECT_EQ(Clipboard(), QStringLiteral("before"));
    Click(card, "1014");
    EXPECT_EQ(Clipboard(), QStringLiteral("before"));
}

TEST_F(NumberDlgTest, EachWayOutEndsTheRunWithItsResult)
{
    const auto press = [](Qt::Key key) {
        return [key](CNumberDlg& card) { QTest::keyClick(card.focusWidget(), key); };
    };
    const auto click = [](const char* id) { return [id](CNumberDlg& card) { Click(card, id); }; };
    const std::tuple<const char*, std::function<void(CNumberDlg&)>, int> waysOut[] = {
        {"Edit", click("1003"), 22},
        {"Close", click("1"), 1},
        {"Enter", press(Qt::Key_Return), 1},
        {"Escape", press(Qt::Key_Escape), 2},
        {"close box", [](CNumberDlg& card) { card.close(); }, 2},
        {"Dial", click("1015"), kStillOpen},
    };
    platform::ScopedMessageBoxAnswers answers(platform::MessageResult::No);
    for (const auto& [what, act, result] : waysOut) {
        SCOPED_TRACE(what);
        CNumberDlg card(IniPath());
        Fill(card, "Ann", "555-0199", "Fax:");
        EXPECT_EQ(Run(card, [&] { act(card); }), result);
    }
}

TEST_F(NumberDlgTest, OnlyTheCopyButtonsShowATooltip)
{
    CNumberDlg card(IniPath());
    Fill(card, "Ann", "555-0199", "Fax:");
    card.show();
    for (const QWidget* control : card.findChildren<QWidget*>()) {
        const QString id = control->objectName();
        if (id != QLatin1String("1013") && id != QLatin1String("1014")) {
            EXPECT_TRUE(control->toolTip().isEmpty()) << id.toStdString();
        }
    }

    const auto hover = [&card](const char* id) {
        QWidget* control = Find(card, id);
        QHelpEvent event(QEvent::ToolTip, QPoint(2, 2), control->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(control, &event);
    };
    hover("1015");
    EXPECT_FALSE(QToolTip::isVisible());
    hover("1013");
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Copy number to clipboard"));
    hover("1014");
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Copy name to clipboard"));
    QToolTip::hideText();
}

TEST_F(NumberDlgTest, RowsLineUpNameOverNumberOverDialCloseEdit)
{
    CNumberDlg card(IniPath());
    Fill(card, "Ann", "555-0199", "Cellphone:");
    card.show();
    const auto box = [&card](const char* id) {
        const QWidget* control = Find(card, id);
        return QRect(control->mapTo(&card, QPoint(0, 0)), control->size());
    };
    EXPECT_EQ(box("1006").left(), box("1007").left());
    EXPECT_EQ(box("1014").left(), box("1013").left());
    EXPECT_LT(box("1007").right(), box("1013").left());
    EXPECT_LT(box("1012").right(), box("1001").left());
    EXPECT_LT(box("1001").right(), box("1007").left());
    EXPECT_LE(box("1014").bottom(), box("1013").top());
    EXPECT_LT(box("1013").bottom(), box("1015").top());
    EXPECT_EQ(box("1015").top(), box("1003").top());
    EXPECT_LT(box("1015").right(), box("1").left());
    EXPECT_LT(box("1").right(), box("1003").left());
}

} // namespace

TEST_F(NumberDlgTest, DialWithoutAModemOffersTheSettingsAndYesEndsTheCardForThem)
{
    testsupport::WriteFile(IniPath(), "[Modem]\nExtDialer=0\nPort=0\n");
    platform::ScopedMessageBoxAnswers answers(platform::MessageResult::Yes);
    CNumberDlg card(IniPath());
    Fill(card, "Ann", "555-0199", "Fax:");
    EXPECT_EQ(Run(card, [&] { Click(card, "1015"); }), CNumberDlg::kResultSettings);
    ASSERT_EQ(answers.shown().size(), 1u);
    EXPECT_EQ(answers.shown()[0].text, "Modem was not configured. Configure modem now?");
}
