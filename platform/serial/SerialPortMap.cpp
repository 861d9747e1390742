#include "serial/SerialPortMap.h"

#include "files/UserFolders.h"
#include "serial/KeptNumbers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

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

std::string Trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::string ReadFirstLine(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return Trimmed(line);
}

// A 16550-style UART exists for every ttyS the kernel reserves; only those whose type is not
// PORT_UNKNOWN (0) have hardware behind them.
bool HasUartHardware(const fs::path& sysfsPath)
{
    std::optional<int> type = ParseNumber(ReadFirstLine(sysfsPath / "type"));
    return type && *type != 0;
}

// "major:minor" of the port's character device: from sysfs where the kernel lists the port,
// else from the device file itself.
std::string DeviceNumber(const SerialPort& port, const fs::path& sysfs)
{
    fs::path folder =
        port.sysfsPath.empty() ? sysfs / "class" / "tty" / port.deviceName : port.sysfsPath;
    std::string number = ReadFirstLine(folder / "dev");
    if (!number.empty())
        return number;
    struct stat status = {};
    if (::stat(port.device.c_str(), &status) != 0 || !S_ISCHR(status.st_mode))
        return {};
    return std::to_string(major(status.st_rdev)) + ":" + std::to_string(minor(status.st_rdev));
}

UdevRecord ReadUdevRecord(const SerialPort& port, const SerialPortRoots& roots)
{
    const std::string number = DeviceNumber(port, roots.sysfs);
    return number.empty() || !roots.udev ? UdevRecord() : roots.udev(number);
}

void DescribeFromUdev(SerialPort& port, const SerialPortRoots& roots)
{
    UdevRecord record = ReadUdevRecord(port, roots);
    port.model = record.modelFromDatabase.empty() ? record.model : record.modelFromDatabase;
    port.interfaceNumber = record.interfaceNumber;
}

// Two ports of twin devices without serial numbers share their by-id link; the later one in
// kernel order is then known by the socket it is plugged into, or at last by its kernel name.
void GiveIdentities(std::vector<SerialPort>& ports, const SerialPortRoots& roots)
{
    std::set<std::string> taken;
    for (SerialPort& port : ports) {
        UdevRecord record = ReadUdevRecord(port, roots);
        for (const std::string& candidate : {record.byId, record.byPath, port.deviceName}) {
            if (!candidate.empty() && !taken.contains(candidate)) {
                port.identity = candidate;
                break;
            }
        }
        taken.insert(port.identity);
    }
}

} // namespace

fs::path SerialPortRoots::DefaultNumbersFile()
{
    std::optional<fs::path> config = UserFolder("XDG_CONFIG_HOME", ".config");
    return config ? *config / "telmo" / "serial-ports" : fs::path();
}

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
    SerialPort port;
    port.comNumber = comNumber;
    port.device = device;
    port.deviceName = device.filename().string();
    port.identity = device.string();
    m_explicit.push_back(std::move(port));
    return true;
}

std::vector<SerialPort> SerialPortMap::MachinePorts() const
{
    // The three series in a fixed order, within a series by the kernel's index, not by name
    // order, so ttyUSB10 follows ttyUSB9. Only new devices are numbered in this order.
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
            SerialPort port;
            port.sysfsPath = classFolder / name;
            if (kSeries[series] == "ttyS" && !HasUartHardware(port.sysfsPath))
                continue;
            port.device = m_roots.dev / name;
            if (!fs::exists(port.device, error))
                continue;
            port.deviceName = name;
            ports.push_back(std::move(port));
        }
    }
    GiveIdentities(ports, m_roots);
    return ports;
}

void SerialPortMap::NumberMachinePorts(std::vector<SerialPort>& ports,
                                       const std::set<int>& reserved) const
{
    std::vector<std::string> identities;
    for (const SerialPort& port : ports)
        identities.push_back(port.identity);
    KeptNumbers inThisRun;
    const std::vector<int> numbers = m_roots.numbers.empty()
                                         ? AssignNumbers(inThisRun, identities, reserved)
                                         : NumberDevices(m_roots.numbers, identities, reserved);
    for (std::size_t at = 0; at < ports.size(); ++at)
        ports[at].comNumber = numbers[at];
}

std::vector<SerialPort> SerialPortMap::Ports() const
{
    std::vector<SerialPort> ports = m_explicit;
    std::set<int> reserved;
    std::set<fs::path> namedDevices;
    for (const SerialPort& port : m_explicit) {
        reserved.insert(port.comNumber);
        namedDevices.insert(port.device.lexically_normal());
    }

    std::vector<SerialPort> machine = MachinePorts();
    std::erase_if(machine, [&](const SerialPort& port) {
        return namedDevices.contains(port.device.lexically_normal());
    });
    NumberMachinePorts(machine, reserved);
    ports.insert(ports.end(), machine.begin(), machine.end());
    for (SerialPort& port : ports)
        DescribeFromUdev(port, m_roots);

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
