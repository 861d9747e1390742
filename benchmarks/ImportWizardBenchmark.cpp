// The import wizard on a contact export of a million rows (about 64 MB, written to the
// temporary folder at start): the reader's scan, page 4 listing every name in the user's
// alphabetical order and showing the list again, and Finish with five selected rows. Run offscreen
// unless a display is asked for.
#include "ContactsCsv.h"
#include "CsvSource.h"
#include "MessageBox.h"
#include "PhoneBook.h"
#include "WizardSheet.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <benchmark/benchmark.h>
#include <memory>
#include <unistd.h>

namespace {

constexpr int kRows = 1000000;

const std::filesystem::path& WorkFolder()
{
    static const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("telmo-import-bench-" + std::to_string(getpid()));
    return folder;
}

std::filesystem::path SourceFile()
{
    return WorkFolder() / "contacts.csv";
}

std::filesystem::path IniFile()
{
    return WorkFolder() / "telmo.ini";
}

// The wizard on page 3, the big source typed in on page 2.
class Wizard
{
public:
    Wizard() : m_sheet(IniFile())
    {
        m_sheet.show();
        Press(QWizard::NextButton);
        Control<QLineEdit>(CWizardSheet::kSelectFilePage, "1001")
            ->setText(QString::fromStdString(SourceFile().string()));
        Press(QWizard::NextButton);
    }

    void Press(QWizard::WizardButton button) { m_sheet.button(button)->click(); }

    template <class T> T* Control(CWizardSheet::PageId page, const char* id)
    {
        return m_sheet.page(page)->findChild<T*>(QString::fromLatin1(id));
    }

    QListView* Names() { return Control<QListView>(CWizardSheet::kSelectNamesPage, "1006"); }

private:
    platform::ScopedMessageBoxAnswers m_answers;
    CWizardSheet m_sheet;
};

void BM_ReaderScan(benchmark::State& state)
{
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        CsvSource source;
        source.Open(SourceFile().string());
        std::string record;
        while (source.ReadLine(record))
            benchmark::DoNotOptimize(record.data());
        bytes += source.Length();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_ReaderScan)->Unit(benchmark::kMillisecond);

void BM_Page4ListsAllNames(benchmark::State& state)
{
    int listed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto wizard = std::make_unique<Wizard>();
        state.ResumeTiming();

        wizard->Press(QWizard::NextButton); // counts the entries, lists and sorts every name

        state.PauseTiming();
        listed = wizard->Names()->model()->rowCount();
        wizard.reset();
        state.ResumeTiming();
    }
    if (listed != kRows)
        state.SkipWithError("not every name was listed");
    state.counters["names"] = listed;
}
BENCHMARK(BM_Page4ListsAllNames)->Unit(benchmark::kMillisecond)->Iterations(3);

// Back and Next with nothing changed keep the list instead of reading the file again.
void BM_Page4ShownAgain(benchmark::State& state)
{
    Wizard wizard;
    wizard.Press(QWizard::NextButton);
    int listed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        wizard.Press(QWizard::BackButton);
        state.ResumeTiming();
        wizard.Press(QWizard::NextButton);
        listed = wizard.Names()->model()->rowCount();
    }
    if (listed != kRows)
        state.SkipWithError("not every name was listed");
}
BENCHMARK(BM_Page4ShownAgain)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FinishWithFiveRows(benchmark::State& state)
{
    int progressSteps = 0;
    int written = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(IniFile());
        auto wizard = std::make_unique<Wizard>();
        wizard->Press(QWizard::NextButton);
        QListView* names = wizard->Names();
        for (int row : {0, kRows / 4, kRows / 2, 3 * kRows / 4, kRows - 1})
            names->selectionModel()->select(names->model()->index(row, 0),
                                            QItemSelectionModel::Select);
        progressSteps = 0;
        QObject::connect(wizard->Control<QProgressBar>(CWizardSheet::kSelectNamesPage, "1014"),
                         &QProgressBar::valueChanged, [&] { ++progressSteps; });
        state.ResumeTiming();

        wizard->Press(QWizard::FinishButton); // reads the source again and writes five entries

        state.PauseTiming();
        written = CPhoneBook(IniFile()).LiveCount();
        wizard.reset();
        state.ResumeTiming();
    }
    if (written != 5)
        state.SkipWithError("the five rows were not written");
    state.counters["progress steps"] = progressSteps;
}
BENCHMARK(BM_FinishWithFiveRows)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    std::filesystem::create_directories(WorkFolder());
    WriteContactsCsv(SourceFile(), kRows);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(WorkFolder());
    return 0;
}
