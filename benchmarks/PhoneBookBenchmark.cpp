// A telmo.ini after years of edits: 10,000 sections, five of them live. Shows the cost of what the
// tray program does with such a file (count, the menu's scan, inserting and deleting), and how
// much one parse for all keys saves over parsing the file anew for every key.
#include "PhoneBook.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <fstream>
#include <map>
#include <unistd.h>

namespace {

constexpr int kSections = 10000;
constexpr double kTargetRatio = 50;

std::filesystem::path BookPath()
{
    static const std::filesystem::path path = [] {
        std::filesystem::path folder =
            std::filesystem::temp_directory_path() / ("telmo-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        return folder / "telmo.ini";
    }();
    return path;
}

std::string MakeBook()
{
    std::string text = "[General]\nCount=" + std::to_string(kSections) + "\nTopPos=4\n";
    int live = 0;
    for (int i = 0; i < kSections; ++i) {
        const bool isLive = i % (kSections / 5) == 0;
        text += "[Item" + std::to_string(i) + "]\nName=Person " + std::to_string(i) +
                "\nHomePhone=555 01" + std::to_string(i) +
                "\nWorkPhone=\nCellPhone=0171 223344\nBeeper=\nFax=\nPos=" +
                std::to_string(isLive ? live++ : i % 5) + "\nDeleted=" + (isLive ? "0" : "1") +
                "\n";
    }
    return text;
}

const std::string& Book()
{
    static const std::string book = MakeBook();
    return book;
}

void ResetBook()
{
    std::ofstream(BookPath(), std::ios::binary | std::ios::trunc) << Book();
}

// The menu reads Deleted and Pos of every section. Count is asked on every turn, as a loop may.
int ScanDeletedAndPos(const PhoneBookDocument& book, const platform::ProfileDocument& document)
{
    int sum = 0;
    for (int i = 0; i < book.Count(); ++i) {
        const std::string section = PhoneBookDocument::SectionName(i);
        sum += document.ReadInt(section, "Deleted", 0) + document.ReadInt(section, "Pos", 0);
    }
    return sum;
}

// Reading one key by parsing the whole file anew; the menu's scan reads 2 keys per section.
void BM_ReadOneKeyParsingTheFileAnew(benchmark::State& state)
{
    ResetBook();
    platform::ProfileFile file(BookPath());
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            file.ReadInt(PhoneBookDocument::SectionName(i++ % kSections), "Pos", 0));
}

void BM_LiveCount(benchmark::State& state)
{
    ResetBook();
    CPhoneBook book(BookPath());
    for (auto _ : state)
        benchmark::DoNotOptimize(book.LiveCount());
}

void BM_MenuScan(benchmark::State& state)
{
    ResetBook();
    platform::ProfileFile file(BookPath());
    for (auto _ : state) {
        platform::ProfileDocument document = file.Load();
        benchmark::DoNotOptimize(ScanDeletedAndPos(PhoneBookDocument(document), document));
    }
}

template <typename Change> void RunTransaction(benchmark::State& state, Change change)
{
    platform::ProfileFile file(BookPath());
    for (auto _ : state) {
        state.PauseTiming();
        ResetBook();
        state.ResumeTiming();
        auto error = file.Update([&](platform::ProfileDocument& document) {
            PhoneBookDocument book(document);
            change(book);
        });
        if (error)
            state.SkipWithError("write failed");
    }
}

void BM_InsertPos(benchmark::State& state)
{
    RunTransaction(state, [](PhoneBookDocument& book) { book.InsertPos("Person 5000"); });
}

void BM_DeleteEntry(benchmark::State& state)
{
    RunTransaction(state, [](PhoneBookDocument& book) { book.DeleteEntry("Item2000"); });
}

} // namespace

BENCHMARK(BM_ReadOneKeyParsingTheFileAnew)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiveCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MenuScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertPos)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteEntry)->Unit(benchmark::kMillisecond);
// Prints the usual table, then how many times faster the scan is than its per-key baseline.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            m_seconds[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const double perKey = m_seconds["BM_ReadOneKeyParsingTheFileAnew"];
        const double scan = m_seconds["BM_MenuScan"];
        if (perKey > 0 && scan > 0) {
            const double ratio = perKey * 2 * kSections / scan;
            std::printf("Scan of %d sections: %.0f times faster than parsing the file per key "
                        "(target: at least %.0f, %s)\n",
                        kSections, ratio, kTargetRatio, ratio >= kTargetRatio ? "met" : "MISSED");
        }
    }

private:
    std::map<std::string, double> m_seconds;
};

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::filesystem::remove_all(BookPath().parent_path());
}
