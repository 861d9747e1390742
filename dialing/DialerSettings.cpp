#include "DialerSettings.h"

namespace {

constexpr const char* kSection = "Modem";

} // namespace

DialerSettings ReadDialerSettings(const platform::ProfileFile& file)
{
    platform::ProfileDocument document = file.Load();
    DialerSettings settings;
    settings.name = document.ReadString(kSection, "Name", "");
    settings.dialOut = document.ReadString(kSection, "DialOut", "");
    settings.port = document.ReadInt(kSection, "Port", 0);
    settings.extDialer = document.ReadInt(kSection, "ExtDialer", 0);
    return settings;
}

std::error_code WriteDialerSettings(platform::ProfileFile& file, const DialerSettings& settings)
{
    return file.Update([&](platform::ProfileDocument& document) {
        document.WriteString(kSection, "Name", settings.name);
        document.WriteString(kSection, "DialOut", settings.dialOut);
        document.WriteString(kSection, "InitStr", settings.initStr);
        document.WriteInt(kSection, "Port", settings.port);
        document.WriteInt(kSection, "ExtDialer", settings.extDialer);
    });
}
