#include "SerialRegistry.h"

#include <array>
#include <fstream>
#include <set>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace fs = std::filesystem;

namespace platform {

namespace {

struct Fragment
{
    const char* name;
    const char* command;
};

// Commands that every Hayes-compatible modem understands.
constexpr std::array<Fragment, 12> kHayesSettings = {{
    {"CallSetupFailTimer", "S7=<#>"},
    {"InactivityTimeout", "S30=<#>"},
    {"SpeakerMode_Dial", "M1"},
    {"SpeakerMode_OFF", "M0"},
    {"SpeakerVolume_Low", "L0"},
    {"SpeakerVolume_Med", "L2"},
    {"SpeakerVolume_High", "L3"},
    {"ErrorControl_On", "\\N3"},
    {"Compression_On", "%C1"},
    {"FlowControl_Hard", "&K3"},
    {"Modulation_CCITT", "B0"},
    {"Blind_Off", "X4"},
}};

// A text value's text: its data up to the first NUL.
std::string TextOf(const RegistryValue& value)
{
    return value.data.substr(0, value.data.find('\0'));
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

std::string FormatSlot(int slot)
{
    std::string number = std::to_string(slot);
    return std::string(number.size() < 4 ? 4 - number.size() : 0, '0') + number;
}

} // namespace

void AddSerialCommEntries(const RegistryKeyNode& localMachine, SerialPortMap& map)
{
    const RegistryKeyNode* serialComm = FindPath(localMachine, kSerialCommPath);
    if (!serialComm)
        return;
    for (const auto& [device, value] : serialComm->values) {
        if (std::optional<int> number = SerialPortMap::ParseComName(TextOf(value)))
            map.AddPort(*number, device);
    }
}

std::string SerialPortModel(const SerialPort& port, const SerialDeviceInfo& info)
{
    std::string number = DeviceNumber(port, info.sysfs);
    std::string fromDatabase;
    std::string model;
    if (!number.empty()) {
        std::ifstream in(info.udevData / ("c" + number));
        for (std::string line; std::getline(in, line);) {
            line = Trimmed(line);
            if (line.starts_with("E:ID_MODEL_FROM_DATABASE="))
                fromDatabase = line.substr(25);
            else if (line.starts_with("E:ID_MODEL="))
                model = line.substr(11);
        }
    }
    if (!fromDatabase.empty())
        return fromDatabase;
    return model.empty() ? port.deviceName : model;
}

void AddSerialPortKeys(RegistryKeyNode& localMachine, const std::vector<SerialPort>& ports,
                       const SerialDeviceInfo& info)
{
    if (ports.empty())
        return;
    RegistryKeyNode& serialComm = WritablePath(localMachine, kSerialCommPath);
    for (const SerialPort& port : ports) {
        if (!serialComm.values.contains(port.device.string()))
            serialComm.values.emplace(port.device.string(),
                                      MakeStringValue(SerialPortMap::ComName(port.comNumber)));
    }

    RegistryKeyNode& modemClass = WritablePath(localMachine, kModemClassPath);
    std::set<std::string, RegistryNameLess> attached;
    for (const auto& [name, slot] : modemClass.subKeys) {
        auto attachedTo = slot->values.find("AttachedTo");
        if (attachedTo != slot->values.end())
            attached.insert(TextOf(attachedTo->second));
    }

    int nextSlot = 0;
    for (const SerialPort& port : ports) {
        std::string comName = SerialPortMap::ComName(port.comNumber);
        if (attached.contains(comName))
            continue;
        while (modemClass.subKeys.contains(FormatSlot(nextSlot)))
            ++nextSlot;
        RegistryKeyNode& slot = WritableSubKey(modemClass, FormatSlot(nextSlot));
        slot.values.emplace("Model", MakeStringValue(SerialPortModel(port, info)));
        slot.values.emplace("AttachedTo", MakeStringValue(comName));
        RegistryKeyNode& settings = WritableSubKey(slot, "Settings");
        for (const Fragment& fragment : kHayesSettings)
            settings.values.emplace(fragment.name, MakeStringValue(fragment.command));
    }
}

} // namespace platform
