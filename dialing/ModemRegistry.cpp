#include "ModemRegistry.h"

#include "text/TextCase.h"

#include <algorithm>
#include <climits>

using namespace platform;

namespace {

constexpr const char* kModemClass =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\\";
constexpr const char* kExcludedModel = "IP Virtual Modem";

// The C library's atol on a platform whose long has 32 bits: leading white space, an optional
// sign, then digits up to the first non-digit; no digits give 0, and values out of range stop at
// the range's ends.
int Atol(std::string_view text)
{
    std::size_t at = 0;
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (at < text.size() && isSpace(text[at]))
        ++at;
    bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        ++at;
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            break;
    }
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// A port name such as "COM3": the number from the fourth character on.
int PortNumber(const std::string& portName)
{
    return portName.size() > 3 ? Atol(std::string_view(portName).substr(3)) : 0;
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

CModemRegistry::CModemRegistry(RegistryErrorReporter reporter) : m_reporter(std::move(reporter)) {}

std::string CModemRegistry::FormatIndex(int index) const
{
    std::string number = std::to_string(index);
    std::size_t padding = number.size() < 4 ? 4 - number.size() : 0;
    return std::string(padding, '0') + number;
}

std::string CModemRegistry::GetModemKey(int index) const
{
    return kModemClass + FormatIndex(index);
}

std::string CModemRegistry::ReadString(HKEY root, const std::string& subKey,
                                       const std::string& valueName,
                                       const std::string& defaultText) const
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return defaultText;
    std::string result = defaultText;
    std::uint32_t size = 0;
    if (RegQueryValueEx(key, valueName.c_str(), nullptr, nullptr, &size) == ERROR_SUCCESS) {
        std::string data(size, '\0');
        if (RegQueryValueEx(key, valueName.c_str(), nullptr,
                            reinterpret_cast<unsigned char*>(data.data()), &size) == ERROR_SUCCESS)
            result = data.substr(0, std::min<std::size_t>(data.find('\0'), size));
    }
    RegCloseKey(key);
    return result;
}

std::string CModemRegistry::GetModel(int index) const
{
    return ReadString(HKEY_LOCAL_MACHINE, GetModemKey(index), "Model", "");
}

int CModemRegistry::GetPort(int index) const
{
    std::string attachedTo = ReadString(HKEY_LOCAL_MACHINE, GetModemKey(index), "AttachedTo", "");
    if (!attachedTo.empty())
        return PortNumber(attachedTo);

    CRegistryKey search(HKEY_LOCAL_MACHINE, m_reporter);
    if (!search.Open(HKEY_LOCAL_MACHINE, ""))
        return 0;
    std::string deviceKey = search.FindKeyByValue("Enum", "Driver", "Modem\\" + FormatIndex(index));
    int port = 0;
    if (!deviceKey.empty())
        port = PortNumber(ReadString(HKEY_LOCAL_MACHINE, deviceKey, "PORTNAME", ""));
    search.Close();
    return port;
}

int CModemRegistry::FindModem(const std::string& name) const
{
    if (name.empty())
        return -1;
    std::string wanted = platform::UpperCase(name);
    for (int index = 0; index < kSlotCount; ++index) {
        if (platform::UpperCase(GetModel(index)) == wanted && GetPort(index) > 0)
            return index;
    }
    return -1;
}

int CModemRegistry::GetPortByName(const std::string& name) const
{
    int slot = FindModem(name);
    return slot < 0 ? 0 : GetPort(slot);
}

std::string CModemRegistry::ReadSetting(int slot, const char* valueName) const
{
    return ReadString(HKEY_LOCAL_MACHINE, GetModemKey(slot) + "\\Settings", valueName, "");
}

bool CModemRegistry::HasSpeakerModes(const std::string& name) const
{
    int slot = FindModem(name);
    return slot >= 0 && !ReadSetting(slot, "SpeakerMode_Dial").empty() &&
           !ReadSetting(slot, "SpeakerMode_OFF").empty();
}

int CModemRegistry::CountSpeakerVolumes(const std::string& name) const
{
    int slot = FindModem(name);
    if (slot < 0)
        return 0;
    int count = 0;
    for (const char* volume : {"SpeakerVolume_Low", "SpeakerVolume_Med", "SpeakerVolume_High"}) {
        if (!ReadSetting(slot, volume).empty())
            ++count;
    }
    return count;
}

std::string CModemRegistry::BuildInitString(const std::string& name, int speakerLevel) const
{
    std::string init = "AT";
    int slot = FindModem(name);
    if (slot < 0)
        return init + "<cr>";

    init += ReplaceAll(ReadSetting(slot, "CallSetupFailTimer"), "<#>", "60");
    init += ReplaceAll(ReadSetting(slot, "InactivityTimeout"), "<#>", "0");
    if (speakerLevel != -1 && HasSpeakerModes(name)) {
        int volumes = CountSpeakerVolumes(name);
        std::string dial = ReadSetting(slot, "SpeakerMode_Dial");
        switch (speakerLevel) {
        case 0:
            init += ReadSetting(slot, "SpeakerMode_OFF");
            break;
        case 1:
            init += volumes != 0 ? ReadSetting(slot, "SpeakerVolume_Low") + dial : dial;
            break;
        case 2:
            if (volumes > 0)
                init += ReadSetting(slot, "SpeakerVolume_Med") + dial;
            break;
        case 3:
            if (volumes > 0)
                init += ReadSetting(slot, "SpeakerVolume_High") + dial;
            break;
        default:
            break;
        }
    }
    for (const char* fragment :
         {"ErrorControl_On", "Compression_On", "FlowControl_Hard", "Modulation_CCITT", "Blind_Off"})
        init += ReadSetting(slot, fragment);
    return init + "<cr>";
}

void CModemRegistry::FillModemList(ModemListControl& list) const
{
    while (list.DeleteString(0) != ModemListControl::kError) {
    }
    for (int index = 0; index < kSlotCount; ++index) {
        std::string model = GetModel(index);
        if (!model.empty() && model.find(kExcludedModel) == std::string::npos)
            list.AddString(model);
    }
}
