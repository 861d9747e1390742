#pragma once

#include "files/ProfileFile.h"

#include <QDialog>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// The dialer settings (dialog template 144): the system's default dialer or Telmo's own modem
// dialer, the modem, and the prefix for an outside line. On OK it works out the chosen modem's
// port and init string; storing them is the caller's business.
class CSettingsDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int IDD = 144;
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;

    explicit CSettingsDlg(QWidget* parent = nullptr);

    // Runs the dialog modally; kIdOk or kIdCancel.
    int DoModal();

    // Between the controls (the combo box 1018 and the edit box 1021) and the members.
    void DoDataExchange(bool saveAndValidate);
    bool OnInitDialog();
    void ShowDialerChoice();
    // The four modem controls 1025, 1018, 1026 and 1021.
    void EnableModemControls(bool enable);
    void OnDialerChoice();
    void OnOK();

    int m_nExtDialer = 0;
    std::string m_strInitStr;
    int m_nPort = 0;
    std::string m_strName;
    std::string m_strDialOut;

private:
    // The chosen model's name exactly as the registry holds it; empty when none is chosen.
    std::string SelectedModemName() const;
    void SelectModemBeginningWith(const std::string& name);

    QRadioButton* m_defaultDialer;
    QRadioButton* m_telmoDialer;
    QLabel* m_modemLabel;
    QComboBox* m_modemList;
    QLabel* m_dialOutLabel;
    QLineEdit* m_dialOut;
};

// The main window's Settings command: shows the dialog on the dialer settings of the file and,
// only when the user chooses OK, stores the choice. A failed write is shown as an error.
void RunSettingsDialog(platform::ProfileFile& iniFile);
