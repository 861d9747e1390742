#include "WizardDriver.h"

#include "PhoneBook.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>

WizardTest::WizardTest() : m_ini(m_folder.path() / "telmo.ini") {}

WizardTest::~WizardTest() = default;

std::filesystem::path WizardTest::WriteSource(std::string_view text, const std::string& name)
{
    return WriteIn(m_folder, name, text);
}

CWizardSheet& WizardTest::Start()
{
    m_sheet = std::make_unique<CWizardSheet>(m_ini);
    m_sheet->SetHelpOpener([this] { ++m_helpOpened; });
    m_sheet->show();
    return *m_sheet;
}

void WizardTest::Next()
{
    m_sheet->button(QWizard::NextButton)->click();
}

void WizardTest::Back()
{
    m_sheet->button(QWizard::BackButton)->click();
}

void WizardTest::Finish()
{
    m_sheet->button(QWizard::FinishButton)->click();
}

void WizardTest::Cancel()
{
    m_sheet->button(QWizard::CancelButton)->click();
}

void WizardTest::GoToMatchFields(const std::filesystem::path& source)
{
    Start();
    Next();
    Find<QLineEdit>(CWizardSheet::kSelectFilePage, "1001")->setText(QString::fromStdString(source));
    Next();
    ASSERT_EQ(m_sheet->currentId(), CWizardSheet::kMatchFieldsPage);
}

void WizardTest::GoToNames(const std::filesystem::path& source)
{
    GoToMatchFields(source);
    Next();
    ASSERT_EQ(m_sheet->currentId(), CWizardSheet::kSelectNamesPage);
}

QString WizardTest::Text(CWizardSheet::PageId page, const char* id) const
{
    QWidget* control = Find<QWidget>(page, id);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text();
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->text();
    return control ? control->property("text").toString() : QString();
}

QStringList WizardTest::OfferedButtons() const
{
    const std::pair<QWizard::WizardButton, const char*> buttons[] = {
        {QWizard::HelpButton, "Help"},
        {QWizard::BackButton, "Back"},
        {QWizard::NextButton, "Next"},
        {QWizard::FinishButton, "Finish"},
        {QWizard::CancelButton, "Cancel"}};
    QStringList offered;
    for (const auto& [which, name] : buttons) {
        const QAbstractButton* button = m_sheet->button(which);
        if (button->isVisible() && button->isEnabled())
            offered << QString::fromLatin1(name);
    }
    return offered;
}

QListView* WizardTest::NameList() const
{
    return Find<QListView>(CWizardSheet::kSelectNamesPage, "1006");
}

QStringList WizardTest::ListedNames() const
{
    QStringList names;
    const QAbstractItemModel* model = NameList()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->index(row, 0).data().toString();
    return names;
}

QStringList WizardTest::SelectedNames() const
{
    QStringList names;
    const QAbstractItemModel* model = NameList()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (NameList()->selectionModel()->isRowSelected(row, {}))
            names << model->index(row, 0).data().toString();
    }
    return names;
}

void WizardTest::SelectNames(const QStringList& names) const
{
    QItemSelectionModel* selection = NameList()->selectionModel();
    const QAbstractItemModel* model = NameList()->model();
    for (const QString& name : names) {
        int row = 0;
        while (row < model->rowCount() && (model->index(row, 0).data().toString() != name ||
                                           selection->isRowSelected(row, {})))
            ++row;
        ASSERT_LT(row, model->rowCount()) << "no unselected item " << name.toStdString();
        selection->select(model->index(row, 0), QItemSelectionModel::Select);
    }
}

void WizardTest::ChooseColumn(const char* comboId, int column) const
{
    Find<QComboBox>(CWizardSheet::kMatchFieldsPage, comboId)->setCurrentIndex(column);
}

ColumnChoice WizardTest::ShownColumns() const
{
    const auto shown = [this](const char* id) {
        return Find<QComboBox>(CWizardSheet::kMatchFieldsPage, id)->currentIndex();
    };
    ColumnChoice columns;
    columns.name = shown("1003");
    columns.lastName = shown("1011");
    columns.home = shown("1004");
    columns.work = shown("1005");
    columns.cell = shown("1008");
    columns.fax = shown("1006");
    columns.beeper = shown("1007");
    return columns;
}

std::vector<PhoneEntry> WizardTest::LiveEntries() const
{
    return CPhoneBook(m_ini).LiveEntries();
}

std::vector<std::string> WizardTest::ShownTexts() const
{
    std::vector<std::string> texts;
    for (const platform::MessageBoxRequest& request : m_answers.shown())
        texts.push_back(request.text);
    return texts;
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
