#include "SettingsDlg.h"

#include "DialerSettings.h"
#include "ModemRegistry.h"
#include "files/LockedFile.h"
#include "qt/LockedWrite.h"
#include "qt/MessageBox.h"
#include "qt/ModalRun.h"
#include "text/TextCase.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr int kModemNameRole = Qt::UserRole;

std::string ToBytes(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

QString ToText(const std::string& bytes)
{
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ItemName(const QComboBox& list, int index)
{
    return list.itemData(index, kModemNameRole).toByteArray().toStdString();
}

// The dialog's modem list: sorted as the original sorted list sorts, without regard to case, and
// unlike a Qt combo box it never selects an item by itself. Each item keeps the model's bytes as
// the registry holds them, so that the name looked up on OK is exactly the listed one.
class ComboBoxModemList : public ModemListControl
{
public:
    explicit ComboBoxModemList(QComboBox& list) : m_list(list) {}

    int DeleteString(int index) override
    {
        if (index < 0 || index >= m_list.count())
            return kError;
        bool wasSelected = m_list.currentIndex() == index;
        m_list.removeItem(index);
        if (wasSelected)
            m_list.setCurrentIndex(-1);
        return m_list.count();
    }

    int AddString(const std::string& text) override
    {
        int index = 0;
        while (index < m_list.count() && !Before(text, ItemName(m_list, index)))
            ++index;
        bool noneSelected = m_list.currentIndex() < 0;
        m_list.insertItem(index, ToText(text), QByteArray::fromStdString(text));
        if (noneSelected)
            m_list.setCurrentIndex(-1);
        return index;
    }

private:
    static bool Before(const std::string& left, const std::string& right)
    {
        std::string upperLeft = platform::UpperCase(left);
        std::string upperRight = platform::UpperCase(right);
        return upperLeft != upperRight ? upperLeft < upperRight : left < right;
    }

    QComboBox& m_list;
};

void ShowRegistryErrorBox(const RegistryErrorMessage& message)
{
    platform::ShowMessageBox(nullptr, {message.text, message.caption, platform::MessageButtons::Ok,
                                       platform::MessageIcon::Information});
}

template <typename Widget> Widget* MakeControl(int id, Widget* widget)
{
    widget->setObjectName(QString::number(id));
    return widget;
}

} // namespace

CSettingsDlg::CSettingsDlg(QWidget* parent)
    : QDialog(parent),
      m_defaultDialer(MakeControl(1023, new QRadioButton("Windows' default dialer"))),
      m_telmoDialer(MakeControl(1024, new QRadioButton("Telmo dialer"))),
      m_modemLabel(MakeControl(1025, new QLabel("Modem:"))),
      m_modemList(MakeControl(1018, new QComboBox)),
      m_dialOutLabel(MakeControl(1026, new QLabel("To access an outside line, dial:"))),
      m_dialOut(MakeControl(1021, new QLineEdit))
{
    setObjectName(QString::number(IDD));
    setWindowTitle("Settings");

    auto* group = MakeControl(-1, new QGroupBox("Dial using"));
    auto* modemControls = new QVBoxLayout;
    modemControls->setContentsMargins(20, 0, 0, 0);
    modemControls->addWidget(m_modemLabel);
    modemControls->addWidget(m_modemList);
    auto* dialOutRow = new QHBoxLayout;
    dialOutRow->addWidget(m_dialOutLabel);
    m_dialOut->setFixedWidth(m_dialOut->fontMetrics().horizontalAdvance("0000000"));
    dialOutRow->addWidget(m_dialOut);
    dialOutRow->addStretch();
    modemControls->addLayout(dialOutRow);

    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_defaultDialer);
    groupLayout->addWidget(m_telmoDialer);
    groupLayout->addLayout(modemControls);

    auto* ok = MakeControl(kIdOk, new QPushButton("OK"));
    auto* cancel = MakeControl(kIdCancel, new QPushButton("Cancel"));
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addStretch();
    layout->addLayout(buttons);
    // One size, so that tiling window managers float it on Wayland too (see the editor).
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_defaultDialer, &QRadioButton::clicked, this, &CSettingsDlg::OnDialerChoice);
    connect(m_telmoDialer, &QRadioButton::clicked, this, &CSettingsDlg::OnDialerChoice);
    connect(ok, &QPushButton::clicked, this, &CSettingsDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int CSettingsDlg::DoModal()
{
    OnInitDialog();
    return platform::RunModal(*this) == QDialog::Accepted ? kIdOk : kIdCancel;
}

void CSettingsDlg::DoDataExchange(bool saveAndValidate)
{
    if (saveAndValidate) {
        m_strName = SelectedModemName();
        m_strDialOut = ToBytes(m_dialOut->text());
    } else {
        SelectModemBeginningWith(m_strName);
        m_dialOut->setText(ToText(m_strDialOut));
    }
}

bool CSettingsDlg::OnInitDialog()
{
    DoDataExchange(false);
    ShowDialerChoice();
    ComboBoxModemList list(*m_modemList);
    CModemRegistry(ShowRegistryErrorBox).FillModemList(list);
    if (!m_strName.empty())
        SelectModemBeginningWith(m_strName);
    return true;
}

void CSettingsDlg::ShowDialerChoice()
{
    bool telmoDialer = m_nExtDialer == 0;
    EnableModemControls(telmoDialer);
    m_telmoDialer->setChecked(telmoDialer);
    m_defaultDialer->setChecked(!telmoDialer);
}

void CSettingsDlg::EnableModemControls(bool enable)
{
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_modemLabel, m_modemList, m_dialOutLabel, m_dialOut})
        control->setEnabled(enable);
}

void CSettingsDlg::OnDialerChoice()
{
    EnableModemControls(m_telmoDialer->isChecked());
}

void CSettingsDlg::OnOK()
{
    m_strName = SelectedModemName();
    {
        CModemRegistry modems(ShowRegistryErrorBox);
        m_nPort = modems.GetPortByName(m_strName);
        m_strInitStr = modems.BuildInitString(m_strName, -1);
    }
    m_nExtDialer = m_defaultDialer->isChecked() ? 1 : 0;
    DoDataExchange(true);
    accept();
}

std::string CSettingsDlg::SelectedModemName() const
{
    int selected = m_modemList->currentIndex();
    return selected < 0 ? std::string() : ItemName(*m_modemList, selected);
}

void CSettingsDlg::SelectModemBeginningWith(const std::string& name)
{
    int found = -1;
    for (int index = 0; index < m_modemList->count() && found < 0 && !name.empty(); ++index) {
        if (platform::StartsWithIgnoringCase(ItemName(*m_modemList, index), name))
            found = index;
    }
    m_modemList->setCurrentIndex(found);
}

void RunSettingsDialog(platform::ProfileFile& iniFile)
{
    CSettingsDlg dialog;
    DialerSettings saved = ReadDialerSettings(iniFile);
    dialog.m_strName = saved.name;
    dialog.m_strDialOut = saved.dialOut;
    dialog.m_nExtDialer = saved.extDialer;
    if (dialog.DoModal() != CSettingsDlg::kIdOk)
        return;

    DialerSettings chosen{dialog.m_strName, dialog.m_strDialOut, dialog.m_strInitStr,
                          dialog.m_nPort, dialog.m_nExtDialer};
    const std::error_code error = platform::WriteAskingWhileHeld(
        nullptr, iniFile.Path(), [&] { return WriteDialerSettings(iniFile, chosen); });
    // A file another program kept locked was named when the user chose not to try again.
    if (error && error != platform::FileLockError::Held) {
        platform::ShowMessageBox(nullptr, {"The settings could not be saved to " +
                                               iniFile.Path().string() + ":\n" + error.message(),
                                           "Error", platform::MessageButtons::Ok,
                                           platform::MessageIcon::Exclamation});
    }
}
