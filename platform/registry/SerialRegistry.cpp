#include "registry/SerialRegistry.h"

#include <array>
#include <map>
#include <set>

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

std::vector<std::string> ModemNames(const std::vector<SerialPort>& ports)
{
    std::vector<std::string> names;
    for (const SerialPort& port : ports)
        names.push_back(port.model.empty() ? port.deviceName : port.model);

    auto tellApart = [&](auto&& suffix) {
        std::map<std::string, int, RegistryNameLess> uses;
        for (const std::string& name : names)
            ++uses[name];
        for (std::size_t at = 0; at < names.size(); ++at) {
            if (uses[names[at]] > 1)
                names[at] += suffix(ports[at]);
        }
    };
    tellApart([](const SerialPort& port) {
        return port.interfaceNumber.empty() ? std::string()
                                            : " (interface " + port.interfaceNumber + ")";
    });
    tellApart(
        [](const SerialPort& port) { return " on " + SerialPortMap::ComName(port.comNumber); });
    return names;
}

void AddSerialPortKeys(RegistryKeyNode& localMachine, const std::vector<SerialPort>& ports)
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

    std::vector<std::string> names = ModemNames(ports);
    int nextSlot = 0;
    for (std::size_t at = 0; at < ports.size(); ++at) {
        const SerialPort& port = ports[at];
        std::string comName = SerialPortMap::ComName(port.comNumber);
        if (attached.contains(comName))
            continue;
        while (modemClass.subKeys.contains(FormatSlot(nextSlot)))
            ++nextSlot;
        RegistryKeyNode& slot = WritableSubKey(modemClass, FormatSlot(nextSlot));
        slot.values.emplace("Model", MakeStringValue(names[at]));
        slot.values.emplace("AttachedTo", MakeStringValue(comName));
        RegistryKeyNode& settings = WritableSubKey(slot, "Settings");
        for (const Fragment& fragment : kHayesSettings)
            settings.values.emplace(fragment.name, MakeStringValue(fragment.command));
    }
}

} // namespace platform
