#include "NumberDlg.h"

#include "DialingBoxDialog.h"
#include "ImageNumbers.h"
#include "Images.h"
#include "KindPicture.h"
#include "qt/MessageBox.h"
#include "support/TempFolder.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>

TEST(KindPictureTest, TheTextBeforeTheFirstColonNamesOneOfFiveKinds)
{
    using namespace telmo::image;
    // clang-format off
    const std::pair<const char*, int> cases[] = {
        {"Home:", kHome}, {"Work:", kWork}, {"Cellphone:", kCellphone}, {"Fax:", kFax},
        {"Beeper:", kBeeper}, {"Fax", kFax}, {"Fax:\t555", kFax}, {"Work::", kWork}, {":Fax", 0},
        {"", 0}, {"fax:", 0}, {"Fax :", 0}, {" Fax:", 0}, {"Pager:", 0}, {"Cellphones:", 0}};
    // clang-format on
    for (const auto& [label, picture] : cases)
        EXPECT_EQ(KindPictureNumber(label), picture) << label;
}

namespace {

// What a run returns when the action under test did not end the card.
constexpr int kStillOpen = -1;

class NumberDlgTest : public testing::Test
{
protected:
    // A card as the tray menu fills it for one number of one entry.
    std::unique_ptr<CNumberDlg> Card(std::string name, std::string number, std::string kind)
    {
        auto card = std::make_unique<CNumberDlg>(m_folder / "telmo.ini");
        card->m_strName = std::move(name);
        card->m_strNumber = std::move(number);
        card->m_strKind = std::move(kind);
        return card;
    }

    template <class Control = QWidget> static Control* Find(const CNumberDlg& card, const char* id)
    {
        auto* control = card.findChild<Control*>(QLatin1String(id));
        EXPECT_NE(control, nullptr) << "no control " << id;
        return control;
    }

    static QImage Picture(const QPixmap& pixmap)
    {
        return pixmap.isNull() ? QImage() : pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    }

    testsupport::TempFolder m_folder;
};

} // namespace

TEST_F(NumberDlgTest, ShowsTheTextsExactlyAsGivenWithThePictureOfTheKind)
{
    // Markup and a title's "[*]" are shown as they are.
    const std::tuple<std::string, std::string, QString, int> cases[] = {
        {"Ann", "Fax:", "Ann", telmo::image::kFax},
        {"<b>M\xC3\xBCller</b> [*]", "Pager:", QString::fromUtf8("<b>M\xC3\xBCller</b> [*]"), 0},
    };
    for (const auto& [name, kind, shownName, picture] : cases) {
        std::unique_ptr<CNumberDlg> card = Card(name, std::string(300, '7'), kind);
        card->show();
        const auto shown = [&card](const char* id) { return Find<QLabel>(*card, id)->text(); };
        EXPECT_EQ(shown("1006"), shownName);
        EXPECT_EQ(Find<QLabel>(*card, "1006")->textFormat(), Qt::PlainText);
        EXPECT_EQ(card->windowHandle()->title(), shownName);
        EXPECT_EQ(shown("1007"), QString(300, '7'));
        EXPECT_EQ(shown("1001").toStdString(), kind);
        EXPECT_EQ(Find(*card, "1007")->font().pointSize(), 12);
        EXPECT_EQ(card->focusWidget(), Find(*card, "1"));
        const QLabel& kindPicture = *Find<QLabel>(*card, "1012");
        const qreal ratio = kindPicture.pixmap().devicePixelRatio();
        EXPECT_EQ(Picture(kindPicture.pixmap()),
                  picture ? Picture(telmo::ImagePixmap(picture, QSize(16, 16), ratio)) : QImage())
            << kind;
    }
    EXPECT_EQ(Find(*Card("", "", ""), "1013")->toolTip(), "Copy number to clipboard");
    EXPECT_EQ(Find(*Card("", "", ""), "1014")->toolTip(), "Copy name to clipboard");
}

TEST_F(NumberDlgTest, EachWayOutEndsTheRunWithItsResult)
{
    const auto press = [](Qt::Key key) {
        return [key](CNumberDlg& card) { QTest::keyClick(card.focusWidget(), key); };
    };
    const auto click = [](const char* id) {
        return [id](CNumberDlg& card) {
            QTest::mouseClick(Find<QPushButton>(card, id), Qt::LeftButton);
        };
    };
    const std::string name = "Zo\xc3\xab \xc3\x96sel";
    using platform::MessageResult;
    const struct
    {
        const char* what;
        std::function<void(CNumberDlg&)> act;
        int result;
        QString clipboard = "before";
        bool emptyTexts = false;
        MessageResult answer = MessageResult::No;
    } cases[] = {{"Edit", click("1003"), CNumberDlg::kResultEdit},
                 {"Close", click("1"), CNumberDlg::kResultClose},
                 {"Enter", press(Qt::Key_Return), CNumberDlg::kResultClose},
                 {"Escape", press(Qt::Key_Escape), CNumberDlg::kResultCancel},
                 {"close box", [](CNumberDlg& card) { card.close(); }, CNumberDlg::kResultCancel},
                 // Without a modem, Dial asks whether to open the settings.
                 {"Dial, settings declined", click("1015"), kStillOpen},
                 {"Dial, settings wanted", click("1015"), CNumberDlg::kResultSettings, "before",
                  false, MessageResult::Yes},
                 {"Copy Name", click("1014"), kStillOpen, QString::fromStdString(name)},
                 {"Copy Number", click("1013"), kStillOpen, "1-800-Work-Now"},
                 {"Copy Name of nothing", click("1014"), kStillOpen, "before", true},
                 {"Copy Number of nothing", click("1013"), kStillOpen, "before", true}};
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        platform::ScopedMessageBoxAnswers answers(row.answer);
        std::unique_ptr<CNumberDlg> card =
            row.emptyTexts ? Card("", "", "Work:") : Card(name, "1-800-Work-Now", "Work:");
        // The card runs modally, as the tray runs it, with the row's action done inside the run.
        QMetaObject::invokeMethod(
            card.get(),
            [&] {
                row.act(*card);
                if (card->isVisible())
                    card->done(kStillOpen);
            },
            Qt::QueuedConnection);
        EXPECT_EQ(card->exec(), row.result);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), row.clipboard);
    }
}

TEST(DialingBoxTest, EachFaceOffersItsButtonsAndTheWaitEndsWithTheChoiceMade)
{
    using Buttons = DialingBox::Buttons;
    using Choice = DialingBox::Choice;
    // The face, the buttons it offers, what ends the wait (a button, "close" for the close box,
    // or "end" for the dial itself) and the choice it gives.
    const std::tuple<Buttons, QString, QString, Choice> rows[] = {
        {Buttons::Cancel, "Cancel", "close", Choice::Cancel},
        {Buttons::Cancel, "Cancel", "end", Choice::Ended},
        {Buttons::Ok, "OK", "close", Choice::Ok},
        {Buttons::HangUpOrOk, "Hang Up OK", "Hang Up", Choice::HangUp},
        {Buttons::HangUpOrOk, "Hang Up OK", "close", Choice::Ok}}; // never ends a call
    for (const auto& [face, offered, act, choice] : rows) {
        DialingBoxDialog box(nullptr);
        box.Show("Calling 5551234 through ModemManager...", face);
        QStringList shown;
        for (QPushButton* button : box.findChildren<QPushButton*>())
            shown.append(button->text());
        EXPECT_EQ(shown.join(' '), offered);
        QTimer::singleShot(0, &box, [&] {
            if (act == "end")
                box.End();
            if (act == "close")
                box.close();
            for (QPushButton* button : box.findChildren<QPushButton*>())
                if (button->text() == act)
                    button->click();
        });
        EXPECT_EQ(box.Wait(), choice) << act.toStdString();
        EXPECT_EQ(box.windowTitle(), "Dialing...");
    }
}
