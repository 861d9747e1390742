#include "SerialPortMap.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace platform {

namespace {

std::optional<int> ParseNumber(std::string_view digits)
{
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

// A 16550-style UART exists for every ttyS the kernel reserves; only those whose type is not
// PORT_UNKNOWN (0) have hardware behind them.
bool HasUartHardware(const fs::path& sysfsPath)
{
    std::ifstream in(sysfsPath / "type");
    std::string text;
    if (!std::getline(in, text))
        return false;
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\r'))
        text.pop_back();
    std::optional<int> type = ParseNumber(text);
    return type && *type != 0;
}

} // namespace

SerialPortMap::SerialPortMap(SerialPortRoots roots) : m_roots(std::move(roots))
{
    AddEntriesFromEnvironment();
}

void SerialPortMap::AddEntriesFromEnvironment()
{
    const char* value = std::getenv(kEnvironmentVariable);
    if (!value)
        return;
    std::string_view entries = value;
    while (!entries.empty()) {
        std::size_t end = entries.find(';');
        std::string_view entry = entries.substr(0, end);
        entries = end == std::string_view::npos ? std::string_view() : entries.substr(end + 1);
        std::size_t equals = entry.find('=');
        if (equals == std::string_view::npos)
            continue;
        if (std::optional<int> number = ParseComName(entry.substr(0, equals)))
            AddPort(*number, fs::path(entry.substr(equals + 1)));
    }
}

bool SerialPortMap::AddPort(int comNumber, const fs::path& device)
{
    if (comNumber < 1 || device.empty())
        return false;
    bool taken = std::any_of(m_explicit.begin(), m_explicit.end(),
                             [&](const SerialPort& port) { return port.comNumber == comNumber; });
    if (taken)
        return false;
    m_explicit.push_back({comNumber, device, device.filename().string(), {}});
    return true;
}

std::vector<SerialPort> SerialPortMap::MachinePorts() const
{
    // The three series in Wine's order; within a series by the kernel's index, not by name
    // order, so ttyUSB10 follows ttyUSB9.
    static constexpr std::array<std::string_view, 3> kSeries = {"ttyS", "ttyUSB", "ttyACM"};
    std::array<std::map<int, std::string>, kSeries.size()> found;

    fs::path classFolder = m_roots.sysfs / "class" / "tty";
    std::error_code error;
    for (fs::directory_iterator it(classFolder, error), end; !error && it != end;
         it.increment(error)) {
        std::string name = it->path().filename().string();
        for (std::size_t series = 0; series < kSeries.size(); ++series) {
            if (!name.starts_with(kSeries[series]))
                continue;
            if (std::optional<int> index =
                    ParseNumber(std::string_view(name).substr(kSeries[series].size())))
                found[series].emplace(*index, name);
        }
    }

    std::vector<SerialPort> ports;
    for (std::size_t series = 0; series < kSeries.size(); ++series) {
        for (const auto& [index, name] : found[series]) {
            fs::path sysfsPath = classFolder / name;
            if (kSeries[series] == "ttyS" && !HasUartHardware(sysfsPath))
                continue;
            fs::path device = m_roots.dev / name;
            if (!fs::exists(device, error))
                continue;
            ports.push_back({0, device, name, sysfsPath});
        }
    }
    return ports;
}

std::vector<SerialPort> SerialPortMap::Ports() const
{
    std::vector<SerialPort> ports = m_explicit;
    std::set<int> usedNumbers;
    std::set<fs::path> namedDevices;
    for (const SerialPort& port : m_explicit) {
        usedNumbers.insert(port.comNumber);
        namedDevices.insert(port.device.lexically_normal());
    }

    int next = 1;
    for (SerialPort& port : MachinePorts()) {
        if (namedDevices.contains(port.device.lexically_normal()))
            continue;
        while (usedNumbers.contains(next))
            ++next;
        port.comNumber = next;
        usedNumbers.insert(next);
        ports.push_back(std::move(port));
    }

    std::sort(ports.begin(), ports.end(),
              [](const SerialPort& a, const SerialPort& b) { return a.comNumber < b.comNumber; });
    return ports;
}

std::optional<fs::path> SerialPortMap::DeviceFor(int comNumber) const
{
    for (const SerialPort& port : Ports()) {
        if (port.comNumber == comNumber)
            return port.device;
    }
    return std::nullopt;
}

std::optional<int> SerialPortMap::ComNumberFor(const fs::path& device) const
{
    fs::path wanted = device.lexically_normal();
    for (const SerialPort& port : Ports()) {
        if (port.device.lexically_normal() == wanted)
            return port.comNumber;
    }
    return std::nullopt;
}

std::optional<int> SerialPortMap::ParseComName(std::string_view name)
{
    if (name.size() < 4)
        return std::nullopt;
    auto lower = [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); };
    if (lower(name[0]) != 'c' || lower(name[1]) != 'o' || lower(name[2]) != 'm')
        return std::nullopt;
    std::optional<int> number = ParseNumber(name.substr(3));
    if (!number || *number < 1)
        return std::nullopt;
    return number;
}

std::string SerialPortMap::ComName(int comNumber)
{
    return "COM" + std::to_string(comNumber);
}

} // namespace platform
