#pragma once

#include "EntryMenu.h"
#include "PhoneBook.h"
#include "SystemTray.h"
#include "TrayAreaWatch.h"
#include "notify/Menu.h"
#include "notify/MenuTracking.h"
#include "notify/NotifyIcon.h"

#include <QDialog>
#include <QIcon>
#include <QTimer>
#include <filesystem>
#include <string>

class QLineEdit;
class QPushButton;

// The program's only window: hidden while the program rests in the notification area, visible
// only as the entry editor. It owns the tray icon and the entry menu and receives the commands
// of both menus.
class CMainDlg : public QDialog
{
public:
    CMainDlg(std::filesystem::path iniPath, platform::NotifyIconService& icons,
             platform::MenuTracker& tracker,
             platform::MenuTracker::CommandHandler applicationCommands);
    ~CMainDlg() override;

    // Creates the tray icon and builds the entry menu; the window stays hidden.
    void OnInitDialog();
    // The command table: every command of the two menus arrives here; what the window does not
    // handle goes on to the application's.
    void OnCommand(unsigned id);
    // The one place that shows or hides the window; the editor and the icon never show together.
    void ShowEditor(int show);

    void OnNewEntry();
    void LoadEntryForEdit(unsigned id, const std::string& kindLabel);
    void OnSave();
    void OnDelete();
    void OnHide();
    void OnEntryCommand(unsigned id);
    void BuildEntryMenu();
    void OnRefresh();
    void OnSettings();
    void OnAbout();
    void OnImport();
    void OnExport();
    void OnExit();
    // One look for a notification area while none has been seen; see TrayAreaWatch.
    void OnTrayAreaLook();

    const platform::Menu& EntryMenu() const { return m_menu; }
    const CSystemTray& TrayIcon() const { return m_trayIcon; }

    // How many seconds without a notification area pass before the user is told.
    static constexpr int kSecondsBeforeNoAreaNotice = 10;

    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Enter saves and Escape cancels: the keys never end the program.
    void accept() override;
    void reject() override;

private:
    void BuildEditor();
    QLineEdit* Field(int id) const;
    PhoneEntry TypedEntry() const;
    void FillFields(const PhoneEntry& entry);
    void ShowEditorFor(int deleteEnabled, int focusField);
    void ShowLimitMessage();
    // Opens the editor on the entry a menu item showed, when its section still holds it.
    void EditShownEntry(const tray::EntryMenuItem& shown, const std::string& kindLabel);
    // The entry as the editor opened it; no section for a new one.
    void RebuildAfterChange();
    void ReportSaveFailure(std::error_code error);

    CPhoneBook m_phoneBook;
    platform::MenuTracker::CommandHandler m_applicationCommands;
    platform::NotifyIconService& m_icons;
    platform::Menu m_menu;
    QIcon m_hIcon;
    // The entry as the fields were filled from the file, so that a Save keeps the bytes of every
    // field the user left as it was shown.
    PhoneEntry m_loadedEntry;
    int m_bNewEntry = 0;
    int m_bEditorVisible = 0;
    CSystemTray m_trayIcon;
    tray::TrayAreaWatch m_trayAreaWatch{kSecondsBeforeNoAreaNotice};
    QTimer m_trayAreaTimer;
    QPushButton* m_deleteButton = nullptr;
};
