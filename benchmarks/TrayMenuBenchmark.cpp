// The entry menu built from a telmo.ini of 10,000 sections, as Refresh and every save build it:
// the file read and parsed, the live entries found, the menu filled. Target: under 50 ms.
#include "EntryMenu.h"
#include "PhoneBook.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <unistd.h>

namespace {

constexpr int kSections = 10000;

// A file after years of use (five live entries among deleted ones), or one a tool filled with
// live entries only.
std::filesystem::path WriteBook(int liveEvery)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("telmo-menu-bench-" + std::to_string(getpid()) + "-" + std::to_string(liveEvery) + ".ini");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "[General]\nCount=" << kSections << "\nTopPos=4\n";
    int live = 0;
    for (int i = 0; i < kSections; ++i) {
        const bool isLive = i % liveEvery == 0;
        out << "[Item" << i << "]\nName=Person " << i << "\nHomePhone=555 01" << i
            << "\nWorkPhone=\nCellPhone=0171 223344\nBeeper=\nFax=\nPos="
            << (isLive ? live++ : i % 5) << "\nDeleted=" << (isLive ? 0 : 1) << "\n";
    }
    return path;
}

void BuildEntryMenu(benchmark::State& state, int liveEvery)
{
    const std::filesystem::path path = WriteBook(liveEvery);
    const CPhoneBook book(path);
    for (auto _ : state) {
        platform::Menu menu = tray::MakeEntryMenu(book.LiveEntries());
        benchmark::DoNotOptimize(menu);
    }
    std::filesystem::remove(path);
}

void BM_BuildEntryMenu_FiveLive(benchmark::State& state)
{
    BuildEntryMenu(state, kSections / 5);
}
BENCHMARK(BM_BuildEntryMenu_FiveLive)->Unit(benchmark::kMillisecond);

void BM_BuildEntryMenu_AllLive(benchmark::State& state)
{
    BuildEntryMenu(state, 1);
}
BENCHMARK(BM_BuildEntryMenu_AllLive)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
