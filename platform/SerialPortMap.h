#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One serial port as the original platform names it: "COMn" and the device behind it.
struct SerialPort
{
    int comNumber = 0;
    std::filesystem::path device;
    // The kernel's name of the port ("ttyUSB0"); for an explicit entry the device file's name.
    std::string deviceName;
    // The port's folder under /sys/class/tty; empty for an explicit entry.
    std::filesystem::path sysfsPath;
};

// Where the machine's ports are looked for; tests point both at fake trees.
struct SerialPortRoots
{
    std::filesystem::path sysfs = "/sys";
    std::filesystem::path dev = "/dev";
};

// The names "COM1", "COM2", ... of the machine's serial ports. Explicit entries come first: those
// of the environment variable TELMO_SERIAL_PORTS ("COM3=/dev/pts/7;COM5=/dev/ttyUSB1") and those
// a caller adds. The machine's own ports follow, numbered the way Wine numbers them so that both
// agree on a port's name: /dev/ttyS0.. (only ports whose sysfs type is not 0, i.e. real UARTs),
// then /dev/ttyUSB0.., then /dev/ttyACM0.., each taking the next COM number still free.
class SerialPortMap
{
public:
    static constexpr const char* kEnvironmentVariable = "TELMO_SERIAL_PORTS";

    explicit SerialPortMap(SerialPortRoots roots = {});

    // Names a device explicitly. The first explicit entry for a COM number stays, so the
    // environment variable outranks what callers add. False when the entry was not taken.
    bool AddPort(int comNumber, const std::filesystem::path& device);

    // Every port, explicit and found on the machine, in COM number order. The machine is
    // looked at anew on each call, so a device plugged in meanwhile is seen.
    std::vector<SerialPort> Ports() const;

    std::optional<std::filesystem::path> DeviceFor(int comNumber) const;
    std::optional<int> ComNumberFor(const std::filesystem::path& device) const;

    // "COM3" (any letter case) -> 3; nothing for other text or numbers below 1.
    static std::optional<int> ParseComName(std::string_view name);
    static std::string ComName(int comNumber);

private:
    void AddEntriesFromEnvironment();
    std::vector<SerialPort> MachinePorts() const;

    SerialPortRoots m_roots;
    std::vector<SerialPort> m_explicit;
};

} // namespace platform
