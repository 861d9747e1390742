#include "MainDlg.h"

#include "AboutDlg.h"
#include "EntryEditing.h"
#include "EntryMenu.h"
#include "Images.h"
#include "NumberDlg.h"
#include "PhoneBookError.h"
#include "ResourceIds.h"
#include "SettingsDlg.h"
#include "files/LockedFile.h"
#include "process/Shell.h"
#include "qt/DisplayText.h"
#include "qt/LockedWrite.h"
#include "qt/MessageBox.h"
#include "qt/ModalRun.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct EditorField
{
    int id;
    const char* label;
    int picture;
};

// Two columns of three, top to bottom, in tab order.
constexpr EditorField kLeftColumn[] = {{tray::kNameField, "Name:", telmo::image::kName},
                                       {1002, "Home phone:", telmo::image::kHome},
                                       {1006, "Work phone:", telmo::image::kWork}};
constexpr EditorField kRightColumn[] = {{1007, "Cellphone:", telmo::image::kCellphone},
                                        {1010, "Fax:", telmo::image::kFax},
                                        {1008, "Beeper:", telmo::image::kBeeper}};

QString IdName(int id)
{
    return QString::number(id);
}

int RunNumberCard(const std::filesystem::path& iniPath, const tray::EntryMenuItem& item)
{
    CNumberDlg card(iniPath);
    card.m_strName = item.name;
    card.m_strNumber = item.number;
    card.m_strKind = item.kindLabel + ":";
    return platform::RunModal(card);
}

} // namespace

CMainDlg::CMainDlg(std::filesystem::path iniPath, platform::NotifyIconService& icons,
                   platform::MenuTracker& tracker,
                   platform::MenuTracker::CommandHandler applicationCommands)
    : m_phoneBook(std::move(iniPath)), m_applicationCommands(std::move(applicationCommands)),
      m_icons(icons), m_hIcon(telmo::ImageIcon(telmo::image::kProgram)),
      m_trayIcon(icons, tracker, [this](unsigned id) { OnCommand(id); })
{
    setObjectName(IdName(tray::kMainDialog));
    setWindowTitle("Telmo");
    setWindowIcon(m_hIcon);
    // A dialog to every window manager: tiling ones (sway) float it rather than fill the screen.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    m_trayAreaTimer.setInterval(1000);
    connect(&m_trayAreaTimer, &QTimer::timeout, this, &CMainDlg::OnTrayAreaLook);
}

CMainDlg::~CMainDlg() = default;

void CMainDlg::BuildEditor()
{
    // Made when first needed: most runs never show the editor, and its widgets and pictures
    // would otherwise take memory for the whole life of the program.
    if (m_deleteButton)
        return;
    auto* grid = new QGridLayout;
    auto addColumn = [&](const EditorField(&fields)[3], int column) {
        for (int row = 0; row < 3; ++row) {
            const EditorField& field = fields[row];
            auto* picture = new QLabel(this);
            picture->setPixmap(telmo::ImagePixmap(field.picture, QSize(16, 16)));
            if (field.id == 1006)
                picture->setObjectName(IdName(tray::kWorkPicture));
            auto* edit = new QLineEdit(this);
            edit->setObjectName(IdName(field.id));
            auto* label = new QLabel(field.label, this);
            label->setBuddy(edit);
            grid->addWidget(picture, row, column);
            grid->addWidget(label, row, column + 1);
            grid->addWidget(edit, row, column + 2);
        }
    };
    addColumn(kLeftColumn, 0);
    addColumn(kRightColumn, 3);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(5, 1);

    m_deleteButton = new QPushButton("Delete", this);
    m_deleteButton->setObjectName(IdName(tray::kDeleteButton));
    m_deleteButton->setEnabled(false);
    auto* save = new QPushButton("Save", this);
    save->setObjectName(IdName(tray::kSaveButton));
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName(IdName(tray::kCancelButton));
    // Enter always means Save, wherever the focus is.
    for (QPushButton* button : {m_deleteButton, save, cancel})
        button->setAutoDefault(false);
    save->setDefault(true);
    connect(m_deleteButton, &QPushButton::clicked, this, &CMainDlg::OnDelete);
    connect(save, &QPushButton::clicked, this, &CMainDlg::OnSave);
    connect(cancel, &QPushButton::clicked, this, &CMainDlg::OnHide);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_deleteButton);
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    // One size, as the original's dialog frame: a Wayland window manager floats a window whose
    // least and greatest sizes agree, since a Wayland program cannot say it is a dialog.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QWidget* const tabOrder[] = {Field(tray::kNameField),
                                 Field(1002),
                                 Field(1006),
                                 Field(1007),
                                 Field(1010),
                                 Field(1008),
                                 save,
                                 m_deleteButton,
                                 cancel};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

QLineEdit* CMainDlg::Field(int id) const
{
    return findChild<QLineEdit*>(IdName(id));
}

void CMainDlg::OnInitDialog()
{
    ShowEditor(0);
    BuildEntryMenu();
    m_trayAreaTimer.start();
}

void CMainDlg::OnCommand(unsigned id)
{
    if (tray::IsEntryCommand(id)) {
        OnEntryCommand(id);
        return;
    }
    switch (id) {
    case tray::kCmdNewEntry:
        OnNewEntry();
        break;
    case tray::kCmdSettings:
        OnSettings();
        break;
    case tray::kCmdRefresh:
        OnRefresh();
        break;
    case tray::kCmdImportEntries:
        OnImport();
        break;
    case tray::kCmdExportEntries:
        OnExport();
        break;
    case tray::kCmdAbout:
        OnAbout();
        break;
    case tray::kCmdExit:
        OnExit();
        break;
    default:
        m_applicationCommands(id);
        break;
    }
}

void CMainDlg::ShowEditor(int show)
{
    m_bEditorVisible = show;
    if (show) {
        showNormal();
        raise();
        activateWindow();
        if (m_trayIcon.HasWindow())
            m_trayIcon.HideIcon();
        return;
    }
    hide();
    if (m_trayIcon.HasWindow())
        m_trayIcon.ShowIcon();
    else
        m_trayIcon.Create("Telmo", m_hIcon, tray::kTrayIconId);
}

void CMainDlg::setVisible(bool visible)
{
    // Whoever asks, the window only shows while the editor is meant to be visible, so it never
    // flashes at start-up.
    QDialog::setVisible(visible && m_bEditorVisible);
}

void CMainDlg::closeEvent(QCloseEvent* event)
{
    event->ignore();
    OnHide();
}

void CMainDlg::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        OnHide();
    }
}

void CMainDlg::accept()
{
    OnSave();
}

void CMainDlg::reject()
{
    OnHide();
}

PhoneEntry CMainDlg::TypedEntry() const
{
    PhoneEntry typed;
    typed.name = Field(tray::kNameField)->text().toStdString();
    for (const PhoneKind& kind : PhoneKinds())
        typed.*kind.number = Field(kind.editorFieldId)->text().toStdString();
    return typed;
}

void CMainDlg::FillFields(const PhoneEntry& entry)
{
    BuildEditor();
    m_loadedEntry = entry;
    Field(tray::kNameField)->setText(platform::DisplayText(entry.name));
    for (const PhoneKind& kind : PhoneKinds())
        Field(kind.editorFieldId)->setText(platform::DisplayText(entry.*kind.number));
}

void CMainDlg::ShowEditorFor(int deleteEnabled, int focusField)
{
    m_deleteButton->setEnabled(deleteEnabled != 0);
    ShowEditor(1);
    Field(focusField)->setFocus();
}

void CMainDlg::ShowLimitMessage()
{
    platform::ShowMessageBox(this, {tray::kLimitMessage, "Limit", platform::MessageButtons::Ok,
                                    platform::MessageIcon::Exclamation});
}

void CMainDlg::OnNewEntry()
{
    if (m_phoneBook.IsFull())
        return ShowLimitMessage();
    m_bNewEntry = 1;
    FillFields(PhoneEntry{});
    ShowEditorFor(0, tray::kNameField);
}

void CMainDlg::LoadEntryForEdit(unsigned id, const std::string& kindLabel)
{
    const tray::EntryMenuItem* shown =
        tray::FindEntryMenuItem(m_menu, tray::EntryCommandId(tray::SlotFromCommand(id), 0));
    EditShownEntry(shown ? *shown : tray::EntryMenuItem{}, kindLabel);
}

void CMainDlg::EditShownEntry(const tray::EntryMenuItem& shown, const std::string& kindLabel)
{
    const std::optional<PhoneEntry> entry = tray::EntryStillShown(m_phoneBook, shown);
    // An entry gone since the menu was built leaves an empty editor that saves a new entry.
    m_bNewEntry = entry ? 0 : 1;
    FillFields(entry.value_or(PhoneEntry{}));
    const int kindField = tray::FieldForKindLabel(kindLabel);
    ShowEditorFor(!m_bNewEntry, kindField ? kindField : tray::kNameField);
}

void CMainDlg::OnSave()
{
    const std::error_code error =
        platform::WriteAskingWhileHeld(this, m_phoneBook.File().Path(), [&] {
            return m_phoneBook.SaveEntry(m_loadedEntry, TypedEntry());
        });
    // Another program filled the book while the editor was open; the typed text stays.
    if (error == PhoneBookError::Full)
        return ShowLimitMessage();
    if (error)
        return ReportSaveFailure(error);
    RebuildAfterChange();
}

void CMainDlg::OnDelete()
{
    const std::string name = Field(tray::kNameField)->text().toStdString();
    const platform::MessageResult answer = platform::ShowMessageBox(
        this, {tray::DeleteQuestion(name), QCoreApplication::applicationName().toStdString(),
               platform::MessageButtons::YesNo, platform::MessageIcon::None});
    if (answer != platform::MessageResult::Yes)
        return;
    const std::error_code error =
        m_bNewEntry ? std::error_code()
                    : platform::WriteAskingWhileHeld(this, m_phoneBook.File().Path(), [&] {
                          return m_phoneBook.DeleteEntry(m_loadedEntry);
                      });
    if (error == PhoneBookError::EntryGone) {
        platform::ShowMessageBox(this, {tray::EntryGoneMessage(m_loadedEntry.name),
                                        QCoreApplication::applicationName().toStdString(),
                                        platform::MessageButtons::Ok,
                                        platform::MessageIcon::Exclamation});
    } else if (error) {
        return ReportSaveFailure(error);
    }
    RebuildAfterChange();
}

void CMainDlg::RebuildAfterChange()
{
    m_menu.DestroyMenu();
    BuildEntryMenu();
    ShowEditor(0);
}

void CMainDlg::ReportSaveFailure(std::error_code error)
{
    // A file another program kept locked was named when the user chose not to try again.
    if (error == platform::FileLockError::Held)
        return;
    platform::ShowMessageBox(this,
                             {tray::SaveFailureMessage(m_phoneBook.File().Path(), error), "Error",
                              platform::MessageButtons::Ok, platform::MessageIcon::Exclamation});
}

void CMainDlg::OnHide()
{
    ShowEditor(0);
}

void CMainDlg::OnEntryCommand(unsigned id)
{
    const tray::EntryMenuItem* item = tray::FindEntryMenuItem(m_menu, id);
    if (!item)
        return;
    if (tray::KindOffsetFromCommand(id) == 0) {
        LoadEntryForEdit(id, {});
        return;
    }
    // A copy: the menu may be rebuilt while the card is open.
    const tray::EntryMenuItem picked = *item;
    switch (RunNumberCard(m_phoneBook.File().Path(), picked)) {
    case CNumberDlg::kResultEdit:
        EditShownEntry(picked, picked.kindLabel);
        break;
    case CNumberDlg::kResultSettings:
        OnSettings();
        break;
    default:
        break;
    }
}

void CMainDlg::BuildEntryMenu()
{
    m_menu = tray::MakeEntryMenu(m_phoneBook.LiveEntries());
    m_trayIcon.SetLeftClickMenu(&m_menu);
}

void CMainDlg::OnRefresh()
{
    m_menu.DestroyMenu();
    BuildEntryMenu();
}

void CMainDlg::OnSettings()
{
    RunSettingsDialog(m_phoneBook.File());
}

void CMainDlg::OnAbout()
{
    CAboutDlg about;
    platform::RunModal(about);
}

void CMainDlg::OnImport()
{
    platform::ShellOpen("telmo import.exe");
}

void CMainDlg::OnExport()
{
    platform::ShellOpen("telmo export.exe");
}

void CMainDlg::OnExit()
{
    m_trayAreaTimer.stop();
    m_menu.DestroyMenu();
    QApplication::quit();
}

void CMainDlg::OnTrayAreaLook()
{
    // While the editor is on screen the user sees Telmo anyway.
    if (m_bEditorVisible)
        return;
    switch (m_trayAreaWatch.OnLook(m_icons.IsAreaAvailable())) {
    case tray::TrayAreaWatch::Step::KeepWatching:
        return;
    case tray::TrayAreaWatch::Step::Stop:
        m_trayAreaTimer.stop();
        return;
    case tray::TrayAreaWatch::Step::TellUser:
        break;
    }
    m_trayAreaTimer.stop();
    const platform::MessageResult answer = platform::ShowMessageBox(
        nullptr, {"Telmo lives in the notification area, but this desktop has none at the moment."
                  "\n\nKeep Telmo running? Its icon appears as soon as a notification area is "
                  "available. Choose No to end Telmo.",
                  "Telmo", platform::MessageButtons::YesNo, platform::MessageIcon::Exclamation});
    if (answer == platform::MessageResult::No)
        OnExit();
}
