#pragma once

// Serial ports: the names COM1, COM2, ... of the machine's ports, what udev knows of them, the UUCP
// lock files by which programs share a port (UucpLock.h) and ModemManager, the desktop service that
// may own a modem (ModemManager.h). A device keeps its number across plugging and reboots and no
// other device takes it (KeptNumbers.h, a file that programs change in turn under its lock), and
// Telmo never takes a port that another live program holds.

#include "serial/UdevDevice.h"

#include <filesystem>
#include <optional>
#include <set>
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
    // What names the device for good, whatever the kernel calls it this time: udev's
    // "serial/by-id/..." link, else its "serial/by-path/..." link, else the kernel's name.
    std::string identity;
    // udev's model name (its database's name first); empty when udev does not know the port.
    std::string model;
    // The USB interface the port belongs to ("02"); empty for other ports.
    std::string interfaceNumber;
};

// Where the machine's ports are looked for and what is kept about them; tests point every
// folder at fake trees.
struct SerialPortRoots
{
    std::filesystem::path sysfs = "/sys";
    std::filesystem::path dev = "/dev";
    // udev's knowledge of the ports: their lasting links and model names.
    UdevLookup udev = SystemUdevRecord;
    // The file that keeps the COM number given to each device; empty keeps nothing.
    std::filesystem::path numbers = DefaultNumbersFile();
    // The folder of UUCP lock files ("LCK..ttyUSB0") that programs sharing ports agree on.
    std::filesystem::path locks = "/run/lock";

    // "serial-ports" in the user's configuration folder for Telmo; empty without a home.
    static std::filesystem::path DefaultNumbersFile();
};

// The names "COM1", "COM2", ... of the machine's serial ports. Explicit entries come first: those
// of the environment variable TELMO_SERIAL_PORTS ("COM3=/dev/pts/7;COM5=/dev/ttyUSB1") and those
// a caller adds. The machine's own ports (/dev/ttyS* with a real UART, /dev/ttyUSB*,
// /dev/ttyACM*) keep the number they were first given, kept in the numbers file under the
// device's identity, across hot-plugging and reboots; a device seen for the first time gets the
// lowest number that neither an explicit entry nor a device of the file holds, so an unplugged
// device keeps its number and no other device takes it.
class SerialPortMap
{
public:
    static constexpr const char* kEnvironmentVariable = "TELMO_SERIAL_PORTS";

    explicit SerialPortMap(SerialPortRoots roots = {});

    // Names a device explicitly. The first explicit entry for a COM number stays, so the
    // environment variable outranks what callers add. False when the entry was not taken.
    bool AddPort(int comNumber, const std::filesystem::path& device);

    // Every port present, explicit and found on the machine, in COM number order. The machine is
    // looked at anew on each call, so a device plugged in meanwhile is seen and numbered.
    std::vector<SerialPort> Ports() const;

    std::optional<std::filesystem::path> DeviceFor(int comNumber) const;
    const SerialPortRoots& Roots() const { return m_roots; }

    // "COM3" (any letter case) -> 3; nothing for other text or numbers below 1.
    static std::optional<int> ParseComName(std::string_view name);
    static std::string ComName(int comNumber);

private:
    void AddEntriesFromEnvironment();
    std::vector<SerialPort> MachinePorts() const;
    // Gives each machine port its kept number or a new one, and keeps the new ones.
    void NumberMachinePorts(std::vector<SerialPort>& ports, const std::set<int>& reserved) const;

    SerialPortRoots m_roots;
    std::vector<SerialPort> m_explicit;
};

} // namespace platform
