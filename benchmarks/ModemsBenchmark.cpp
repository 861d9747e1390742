// OK in the settings dialog on a registry whose device tree ("Enum") holds 10,000 keys, with the
// chosen modem's port found only at the very end of that tree. OK asks for the port three times
// (twice through GetPortByName, once more inside BuildInitString), and each time the whole tree is
// searched. Target: one OK within 100 ms.
#include "ModemRegistry.h"
#include "registry/RegFile.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <unistd.h>

namespace {

constexpr int kBuses = 100;
constexpr int kDevicesPerBus = 99; // 100 bus keys + 9,900 device keys = 10,000 keys
const std::string kModel = "Bench Modem";
const std::string kModemClass = "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\"
                                "{4D36E96D-E325-11CE-BFC1-08002BE10318}\\";

std::string Number(int value)
{
    std::string text = std::to_string(value);
    return std::string(text.size() < 4 ? 4 - text.size() : 0, '0') + text;
}

std::string MakeRegistry()
{
    std::string text = "REGEDIT4\n";
    // Slot 0 has no AttachedTo; slots 1 to 9 hold other modems, so every slot is read.
    text += kModemClass + "0000]\n\"Model\"=\"" + kModel + "\"\n";
    text += kModemClass + "0000\\Settings]\n\"CallSetupFailTimer\"=\"S7=<#>\"\n"
                          "\"InactivityTimeout\"=\"S30=<#>\"\n\"ErrorControl_On\"=\"\\\\N3\"\n"
                          "\"Compression_On\"=\"%C1\"\n\"FlowControl_Hard\"=\"&K3\"\n"
                          "\"Modulation_CCITT\"=\"B0\"\n\"Blind_Off\"=\"X4\"\n";
    for (int slot = 1; slot < 10; ++slot)
        text += kModemClass + Number(slot) + "]\n\"Model\"=\"Other Modem " + std::to_string(slot) +
                "\"\n\"AttachedTo\"=\"COM" + std::to_string(slot) + "\"\n";
    for (int bus = 0; bus < kBuses; ++bus) {
        std::string busKey = "[HKEY_LOCAL_MACHINE\\Enum\\Bus" + Number(bus);
        text += busKey + "]\n\"Class\"=\"System\"\n";
        for (int device = 0; device < kDevicesPerBus; ++device) {
            bool last = bus == kBuses - 1 && device == kDevicesPerBus - 1;
            text += busKey + "\\Device" + Number(device) + "]\n\"Driver\"=\"" +
                    (last ? "Modem\\\\0000" : "Ports\\\\" + Number(device)) +
                    "\"\n\"PORTNAME\"=\"COM" + (last ? "7" : "99") + "\"\n";
        }
    }
    return text;
}

// The registry of this program: the file above and the machine's own serial ports.
class BenchmarkRegistry
{
public:
    BenchmarkRegistry()
    {
        std::filesystem::create_directories(m_file.parent_path());
        std::ofstream(m_file, std::ios::binary) << m_text;
    }
    ~BenchmarkRegistry() { std::filesystem::remove_all(m_file.parent_path()); }

    const std::string& Text() const { return m_text; }

private:
    static platform::RegistrySources Sources(const std::filesystem::path& file)
    {
        platform::RegistrySources sources = platform::RegistrySources::Default();
        sources.regFiles = {file};
        return sources;
    }

    std::string m_text = MakeRegistry();
    std::filesystem::path m_file = std::filesystem::temp_directory_path() /
                                   ("telmo-bench-" + std::to_string(getpid())) / "registry.reg";
    platform::ScopedRegistrySources m_sources{Sources(m_file)};
};

BenchmarkRegistry& Registry()
{
    static BenchmarkRegistry registry;
    return registry;
}

// What OnOK computes for the chosen name.
void BM_SettingsOk(benchmark::State& state)
{
    Registry();
    int errors = 0;
    for (auto _ : state) {
        CModemRegistry modems([&](const RegistryErrorMessage&) { ++errors; });
        int port = modems.GetPortByName(kModel);
        std::string init = modems.BuildInitString(kModel, -1);
        if (port != 7 || init != "ATS7=60S30=0\\N3%C1&K3B0X4<cr>" || errors != 0)
            state.SkipWithError("wrong port or init string");
        benchmark::DoNotOptimize(init);
    }
}
BENCHMARK(BM_SettingsOk)->Unit(benchmark::kMillisecond);

// Opening the dialog: the list of models.
void BM_FillModemList(benchmark::State& state)
{
    class CountingList : public ModemListControl
    {
    public:
        int DeleteString(int) override { return kError; }
        int AddString(const std::string&) override { return ++count; }
        int count = 0;
    };
    Registry();
    for (auto _ : state) {
        CountingList list;
        CModemRegistry([](const RegistryErrorMessage&) {}).FillModemList(list);
        benchmark::DoNotOptimize(list.count);
    }
}
BENCHMARK(BM_FillModemList)->Unit(benchmark::kMillisecond);

// Reading the registry file, once after each change of it.
void BM_ParseRegistryFile(benchmark::State& state)
{
    const std::string& text = Registry().Text();
    for (auto _ : state) {
        platform::RegistryKeyNode root;
        benchmark::DoNotOptimize(platform::ApplyRegFile(text, root));
    }
}
BENCHMARK(BM_ParseRegistryFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
