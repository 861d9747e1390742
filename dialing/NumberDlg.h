#pragma once

#include "DialSequence.h"

#include <QDialog>
#include <filesystem>
#include <string>

class QLabel;
class QPushButton;

// The number card: one number of one entry, with its name and kind, and the actions Dial, Edit,
// Copy Name and Copy Number. The caller sets the three texts, runs the card modally (exec) and
// acts on the result.
class CNumberDlg : public QDialog
{
    Q_OBJECT

public:
    // Results of a run, as agreed with the caller.
    static constexpr int kResultClose = 1;  // Close or Enter: nothing to do
    static constexpr int kResultCancel = 2; // Escape or the close box: nothing to do
    static constexpr int kResultEdit = 22;  // open the entry editor on this entry
    static constexpr int kResultSettings = kOpenSettingsResult; // open the dialer settings

    // Dial reads its settings from the telmo.ini at iniPath.
    explicit CNumberDlg(std::filesystem::path iniPath, QWidget* parent = nullptr);

    // Set before the run, as 8-bit text; shown exactly as given.
    std::string m_strName;
    std::string m_strNumber;
    std::string m_strKind; // the kind label with its colon, e.g. "Home:"

    void setVisible(bool visible) override;
    // Escape and the close box end the card with kResultCancel.
    void reject() override;

public slots:
    void OnCopyName();
    void OnCopyNumber();
    void OnDial();
    void OnEdit();

private:
    void BuildLayout();
    void OnInitDialog();

    QLabel* m_namePicture;
    QLabel* m_nameText;
    QPushButton* m_copyNameButton;
    QLabel* m_kindBitmap;
    QLabel* m_kindText;
    QLabel* m_numberText;
    QPushButton* m_copyNumberButton;
    QPushButton* m_dialButton;
    QPushButton* m_closeButton;
    QPushButton* m_editButton;
    bool m_initialised = false;
    std::filesystem::path m_iniPath;
};
