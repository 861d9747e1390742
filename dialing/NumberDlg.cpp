#include "NumberDlg.h"

#include "DialingBoxDialog.h"
#include "Images.h"
#include "KindPicture.h"
#include "dbus/DBusModemManager.h"
#include "qt/Clipboard.h"
#include "qt/DisplayText.h"
#include "qt/MessageBox.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace {

constexpr QSize kPictureSize(16, 16);
constexpr int kLargeTextPoints = 12;

// A label that shows its text literally: names and numbers are data, never markup.
QLabel* MakeText(const QString& text, const char* id)
{
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setObjectName(QLatin1String(id));
    return label;
}

QLabel* MakePicture(int number, const char* id)
{
    auto* picture = new QLabel;
    picture->setObjectName(QLatin1String(id));
    picture->setFixedSize(kPictureSize);
    picture->setPixmap(telmo::ImagePixmap(number, kPictureSize));
    return picture;
}

QPushButton* MakeButton(const QString& text, const char* id)
{
    auto* button = new QPushButton(text);
    button->setObjectName(QLatin1String(id));
    return button;
}

// A copy button shows only the copy picture; its words are left to screen readers.
QPushButton* MakeCopyButton(const QString& name, const QString& toolTip, const char* id)
{
    auto* button = MakeButton(QString(), id);
    button->setIcon(telmo::ImageIcon(telmo::image::kCopy));
    button->setIconSize(kPictureSize);
    button->setAccessibleName(name);
    button->setToolTip(toolTip);
    const QSize hint = button->sizeHint();
    const int side = std::max(hint.width(), hint.height());
    button->setFixedSize(side, side);
    return button;
}

} // namespace

CNumberDlg::CNumberDlg(std::filesystem::path iniPath, QWidget* parent)
    : QDialog(parent), m_namePicture(MakePicture(telmo::image::kName, "")),
      m_nameText(MakeText(QStringLiteral("Entry Name"), "1006")),
      m_copyNameButton(MakeCopyButton(QStringLiteral("Copy Name"),
                                      QStringLiteral("Copy name to clipboard"), "1014")),
      m_kindBitmap(MakePicture(telmo::image::kWork, "1012")),
      m_kindText(MakeText(QStringLiteral("Type:"), "1001")),
      m_numberText(MakeText(QStringLiteral("Entry Phone"), "1007")),
      m_copyNumberButton(MakeCopyButton(QStringLiteral("Copy Number"),
                                        QStringLiteral("Copy number to clipboard"), "1013")),
      m_dialButton(MakeButton(QStringLiteral("Dial"), "1015")),
      m_closeButton(MakeButton(QStringLiteral("Close"), "1")),
      m_editButton(MakeButton(QStringLiteral("Edit"), "1003")), m_iniPath(std::move(iniPath))
{
    setWindowTitle(QStringLiteral("Dialog"));
    BuildLayout();

    QFont large = font();
    large.setPointSize(kLargeTextPoints);
    m_nameText->setFont(large);
    m_numberText->setFont(large);

    m_closeButton->setDefault(true);
    setTabOrder(m_closeButton, m_editButton);
    setTabOrder(m_editButton, m_dialButton);
    setTabOrder(m_dialButton, m_copyNameButton);
    setTabOrder(m_copyNameButton, m_copyNumberButton);

    connect(m_copyNameButton, &QPushButton::clicked, this, &CNumberDlg::OnCopyName);
    connect(m_copyNumberButton, &QPushButton::clicked, this, &CNumberDlg::OnCopyNumber);
    connect(m_dialButton, &QPushButton::clicked, this, &CNumberDlg::OnDial);
    connect(m_closeButton, &QPushButton::clicked, this, &CNumberDlg::accept);
    connect(m_editButton, &QPushButton::clicked, this, &CNumberDlg::OnEdit);
}

void CNumberDlg::BuildLayout()
{
    auto* nameLabel = new QLabel(QStringLiteral("Name:"));
    nameLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_kindText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* rows = new QGridLayout;
    rows->setColumnStretch(2, 1);
    rows->addWidget(m_namePicture, 0, 0);
    rows->addWidget(nameLabel, 0, 1);
    rows->addWidget(m_nameText, 0, 2);
    rows->addWidget(m_copyNameButton, 0, 3);
    rows->addWidget(m_kindBitmap, 1, 0);
    rows->addWidget(m_kindText, 1, 1);
    rows->addWidget(m_numberText, 1, 2);
    rows->addWidget(m_copyNumberButton, 1, 3);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_dialButton);
    buttons->addWidget(m_closeButton);
    buttons->addWidget(m_editButton);

    auto* card = new QVBoxLayout(this);
    card->setSizeConstraint(QLayout::SetFixedSize);
    card->addLayout(rows);
    card->addSpacing(rows->verticalSpacing());
    card->addLayout(buttons);
}

void CNumberDlg::setVisible(bool visible)
{
    // The texts are set between construction and the run, so they are taken in just before
    // the card first appears and its size is settled.
    if (visible && !m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
}

void CNumberDlg::OnInitDialog()
{
    m_nameText->setText(platform::DisplayText(m_strName));
    m_numberText->setText(platform::DisplayText(m_strNumber));
    m_kindText->setText(platform::DisplayText(m_strKind));

    const int kindPicture = KindPictureNumber(m_strKind);
    m_kindBitmap->setPixmap(kindPicture != 0 ? telmo::ImagePixmap(kindPicture, kPictureSize)
                                             : QPixmap());

    // "[*]" in a title is a placeholder for the modified mark; doubled it shows as itself.
    setWindowTitle(
        platform::DisplayText(m_strName).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
    m_closeButton->setFocus();
}

void CNumberDlg::reject()
{
    done(kResultCancel);
}

void CNumberDlg::OnCopyName()
{
    if (!m_strName.empty())
        platform::CopyTextToClipboard(m_strName);
}

void CNumberDlg::OnCopyNumber()
{
    if (!m_strNumber.empty())
        platform::CopyTextToClipboard(m_strNumber);
}

void CNumberDlg::OnDial()
{
    DialServices services =
        SystemDialServices(m_iniPath, [this](const platform::MessageBoxRequest& request) {
            return platform::ShowMessageBox(this, request);
        });
    services.modemManager = [] { return std::make_unique<platform::DBusModemManager>(); };
    services.makeDialingBox = [this] { return std::make_unique<DialingBoxDialog>(this); };
    if (RunDialSequence(services, m_strName, m_strNumber) == DialOutcome::OpenSettings)
        done(kResultSettings);
}

void CNumberDlg::OnEdit()
{
    done(kResultEdit);
}
