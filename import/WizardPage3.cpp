#include "WizardPage3.h"

#include "ColumnComboBox.h"
#include "ColumnMatching.h"
#include "ColumnSamples.h"
#include "CsvFields.h"
#include "CsvSource.h"
#include "WizardSheet.h"
#include "qt/DisplayText.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

struct FieldRow
{
    const char* label;
    const char* labelId; // empty when the label has no id
    const char* comboId;
    int ColumnChoice::*column;
};

constexpr std::array<FieldRow, 7> kFieldRows = {{
    {"Person name:", "1009", "1003", &ColumnChoice::name},
    {"Last name:", "1010", "1011", &ColumnChoice::lastName},
    {"Home phone:", "", "1004", &ColumnChoice::home},
    {"Work phone:", "", "1005", &ColumnChoice::work},
    {"Cellphone:", "", "1008", &ColumnChoice::cell},
    {"Fax:", "", "1006", &ColumnChoice::fax},
    {"Beeper:", "", "1007", &ColumnChoice::beeper},
}};

// A sample is one line of about this many characters; the whole value is its tooltip.
constexpr int kMaxSampleCharacters = 28;

// A multi-line value on one line, its line breaks marked.
QString OneLine(QString value)
{
    value.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return value.replace(QLatin1Char('\n'), QStringLiteral(" \u21B5 "));
}

} // namespace

CWizardPage3::CWizardPage3(CWizardSheet& sheet)
    : CWizardPage(sheet, "Match Fields"),
      m_firstAndLast(new QRadioButton(QStringLiteral("First and Last"))),
      m_fullName(new QRadioButton(QStringLiteral("Full name")))
{
    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Telmo:")), 0, 0);
    fields->addWidget(new QLabel(QStringLiteral("Source file:")), 0, 1);
    std::array<QLabel*, 7> labels{};
    for (std::size_t i = 0; i < kFieldRows.size(); ++i) {
        labels[i] = new QLabel(QString::fromLatin1(kFieldRows[i].label));
        labels[i]->setObjectName(QString::fromLatin1(kFieldRows[i].labelId));
        m_combos[i] = new ColumnComboBox;
        m_combos[i]->setObjectName(QString::fromLatin1(kFieldRows[i].comboId));
        m_samples[i] = new QLabel;
        m_samples[i]->setTextFormat(Qt::PlainText);
        m_samples[i]->setObjectName(QString::fromLatin1(kFieldRows[i].comboId) + "-sample");
        m_samples[i]->setMinimumWidth(fontMetrics().averageCharWidth() * kMaxSampleCharacters);
        QFont sampleFont = m_samples[i]->font(); // a value from the file, not a text of ours
        sampleFont.setItalic(true);
        m_samples[i]->setFont(sampleFont);
        connect(m_combos[i], &QComboBox::currentIndexChanged, this, [this, i] { ShowSample(i); });
        fields->addWidget(labels[i], static_cast<int>(i) + 1, 0);
        fields->addWidget(m_combos[i], static_cast<int>(i) + 1, 1);
        fields->addWidget(m_samples[i], static_cast<int>(i) + 1, 2);
    }
    m_cbName = m_combos[0];
    m_cbLastName = m_combos[1];
    m_nameLabel = labels[0];
    m_lastNameLabel = labels[1];
    m_lastNameSample = m_samples[1];

    m_firstAndLast->setObjectName(QStringLiteral("1012"));
    m_fullName->setObjectName(QStringLiteral("1013"));
    connect(m_firstAndLast, &QRadioButton::clicked, this, &CWizardPage3::OnFirstAndLast);
    connect(m_fullName, &QRadioButton::clicked, this, &CWizardPage3::OnFullName);
    auto* sourceName = new QGroupBox(QStringLiteral("Source Name "));
    auto* radios = new QVBoxLayout(sourceName);
    radios->addWidget(m_firstAndLast);
    radios->addWidget(m_fullName);
    radios->addStretch();

    auto* layout = new QGridLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("3. Match between fields in file to fields used in Telmo.")), 0,
        0, 1, 2);
    layout->addLayout(fields, 1, 0);
    layout->addWidget(sourceName, 1, 1, Qt::AlignTop);
    layout->setRowStretch(2, 1);
}

void CWizardPage3::OnSetActive()
{
    LoadSourceColumns();
    UpdateNameRadios();
    UpdateNameLabels();
    // The wizard sizes itself to a page when the page is switched to, before the boxes were
    // widened for this file's names; setting the title makes it size itself again.
    setTitle(title());
}

void CWizardPage3::LoadSourceColumns()
{
    CsvSource source;
    if (!Sheet().OpenSource(source))
        return;
    std::vector<std::string> names = SplitHeader(source.Header());
    const std::vector<std::string> samples = ReadColumnSamples(source, names.size());
    source.Close();

    // Every combo holds the current header once, so that an item index is a column index.
    const std::string path = Sheet().SourcePath();
    const bool sameFile = m_loaded && path == m_loadedPath && names == m_loadedColumns;
    const ColumnChoice earlier = ChosenColumns();
    QStringList items;
    items.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names)
        items << QString::fromUtf8(name);
    m_columnSamples.clear();
    for (const std::string& sample : samples)
        m_columnSamples << QString::fromUtf8(sample);
    for (ColumnComboBox* combo : m_combos)
        combo->SetColumnNames(items);
    m_loaded = true;
    m_loadedPath = path;
    m_loadedColumns = std::move(names);

    if (sameFile && Sheet().NameColumn() != -1)
        ChooseColumns(earlier);
    else
        AutoMatchColumns();
}

void CWizardPage3::ShowSample(std::size_t row)
{
    const int column = m_combos[row]->currentIndex();
    const QString sample =
        column >= 0 && column < m_columnSamples.size() ? m_columnSamples[column] : QString();
    QLabel* shown = m_samples[row];
    const QString line = shown->fontMetrics().elidedText(OneLine(sample), Qt::ElideRight,
                                                         shown->fontMetrics().averageCharWidth() *
                                                             kMaxSampleCharacters);
    shown->setText(line);
    shown->setToolTip(line == sample ? QString() : platform::PlainToolTip(sample));
}

void CWizardPage3::AutoMatchColumns()
{
    ChooseColumns(::AutoMatchColumns(m_loadedColumns));
}

void CWizardPage3::UpdateNameRadios()
{
    m_firstAndLast->setChecked(m_bFullName == 0);
    m_fullName->setChecked(m_bFullName == 1);
}

void CWizardPage3::UpdateNameLabels()
{
    const bool fullName = m_bFullName == 1;
    m_cbLastName->setVisible(!fullName);
    m_lastNameLabel->setVisible(!fullName);
    m_lastNameSample->setVisible(!fullName);
    m_nameLabel->setText(fullName ? QStringLiteral("Full Name:") : QStringLiteral("First Name:"));
}

void CWizardPage3::OnFirstAndLast()
{
    if (m_bFullName == 1) {
        m_bFullName = 0;
        UpdateNameLabels();
    }
}

void CWizardPage3::OnFullName()
{
    if (m_bFullName == 0) {
        m_bFullName = 1;
        UpdateNameLabels();
    }
}

void CWizardPage3::OnKillActive()
{
    const ColumnChoice chosen = ChosenColumns();
    Sheet().SetBeeperColumn(chosen.beeper);
    Sheet().SetCellColumn(chosen.cell);
    Sheet().SetFaxColumn(chosen.fax);
    Sheet().SetHomeColumn(chosen.home);
    Sheet().SetNameColumn(chosen.name);
    Sheet().SetLastNameColumn(m_bFullName == 1 ? -1 : chosen.lastName);
    Sheet().SetWorkColumn(chosen.work);
}

ColumnChoice CWizardPage3::ChosenColumns() const
{
    ColumnChoice columns;
    for (std::size_t i = 0; i < kFieldRows.size(); ++i)
        columns.*kFieldRows[i].column = m_combos[i]->currentIndex();
    return columns;
}

void CWizardPage3::ChooseColumns(const ColumnChoice& columns)
{
    for (std::size_t i = 0; i < kFieldRows.size(); ++i)
        m_combos[i]->setCurrentIndex(columns.*kFieldRows[i].column);
}
