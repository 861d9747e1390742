// Registry files built to hurt: 16 MB of blank lines, 50 MB of junk lines, and 16 MB of key
// lines 512 keys deep. Targets: each read within a second, with heap use during the read (beyond
// the file's text) of at most a few megabytes for files that keep nothing, and bounded by the
// limit on keys and values for files that keep a lot. Counters: peak_heap_MB (highest heap in use
// during the read) and kept_MB (the tree and problems that the read leaves).
#include "registry/RegFile.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

std::atomic<std::size_t> g_heapInUse{0};
std::atomic<std::size_t> g_heapPeak{0};

void* Allocate(std::size_t size)
{
    void* block = std::malloc(size == 0 ? 1 : size);
    if (!block)
        throw std::bad_alloc();
    const std::size_t inUse = g_heapInUse += malloc_usable_size(block);
    std::size_t peak = g_heapPeak;
    while (inUse > peak && !g_heapPeak.compare_exchange_weak(peak, inUse)) {
    }
    return block;
}

void Release(void* block) noexcept
{
    if (!block)
        return;
    g_heapInUse -= malloc_usable_size(block);
    std::free(block);
}

constexpr double kMegabyte = 1024.0 * 1024.0;

void ReadFile(benchmark::State& state, const std::string& text)
{
    for (auto _ : state) {
        platform::RegistryKeyNode root;
        const std::size_t before = g_heapInUse;
        g_heapPeak = before;
        std::vector<platform::RegFileProblem> problems = platform::ApplyRegFile(text, root);
        state.counters["peak_heap_MB"] = static_cast<double>(g_heapPeak - before) / kMegabyte;
        state.counters["kept_MB"] = static_cast<double>(g_heapInUse - before) / kMegabyte;
        benchmark::DoNotOptimize(problems);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

std::string Repeated(const std::string& header, const std::string& line, std::size_t bytes)
{
    std::string text = header;
    text.reserve(bytes + line.size());
    while (text.size() < bytes)
        text += line;
    return text;
}

void BM_BlankLines(benchmark::State& state)
{
    static const std::string text = Repeated("REGEDIT4\n", "\n", 16 << 20);
    ReadFile(state, text);
}
BENCHMARK(BM_BlankLines)->Unit(benchmark::kMillisecond);

void BM_JunkLines(benchmark::State& state)
{
    static const std::string text = Repeated("REGEDIT4\n", "x\n", 50 << 20);
    ReadFile(state, text);
}
BENCHMARK(BM_JunkLines)->Unit(benchmark::kMillisecond);

void BM_DeepKeys(benchmark::State& state)
{
    static const std::string text = [] {
        std::string deepTail;
        for (std::size_t level = 1; level < platform::kMaxKeyDepth; ++level)
            deepTail += "\\k";
        std::string file = "REGEDIT4\n";
        for (int line = 0; file.size() < (16 << 20); ++line)
            file += "[HKEY_LOCAL_MACHINE\\" + std::to_string(line) + deepTail + "]\n";
        return file;
    }();
    ReadFile(state, text);
}
BENCHMARK(BM_DeepKeys)->Unit(benchmark::kMillisecond);

} // namespace

void* operator new(std::size_t size)
{
    return Allocate(size);
}
void* operator new[](std::size_t size)
{
    return Allocate(size);
}
void operator delete(void* block) noexcept
{
    Release(block);
}
void operator delete[](void* block) noexcept
{
    Release(block);
}
void operator delete(void* block, std::size_t) noexcept
{
    Release(block);
}
void operator delete[](void* block, std::size_t) noexcept
{
    Release(block);
}

BENCHMARK_MAIN();
