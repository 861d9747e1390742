#pragma once

#include "Registry.h"
#include "ScopedEnvironment.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace testsupport {

// A machine's serial ports for the registry to find: a fake /sys, /dev and udev data folder
// below one folder, and no ports named through the environment. Empty until ports are added.
class FakeSerialDevices
{
public:
    explicit FakeSerialDevices(std::filesystem::path root) : m_root(std::move(root))
    {
        std::filesystem::create_directories(m_root / "dev");
        std::filesystem::create_directories(m_root / "udev");
    }

    // A tty with its device node; the sysfs "type" and "dev" files and udev's data file are
    // written when given.
    void Add(const std::string& name, const std::string& type = "",
             const std::string& deviceNumber = "", const std::string& udevLines = "")
    {
        std::filesystem::path folder = m_root / "sys" / "class" / "tty" / name;
        std::filesystem::create_directories(folder);
        if (!type.empty())
            std::ofstream(folder / "type") << type << "\n";
        if (!deviceNumber.empty())
            std::ofstream(folder / "dev") << deviceNumber << "\n";
        if (!udevLines.empty())
            std::ofstream(m_root / "udev" / ("c" + deviceNumber)) << udevLines;
        std::ofstream(Device(name));
    }

    std::filesystem::path Device(const std::string& name) const { return m_root / "dev" / name; }

    // Registry sources made of the given files and these ports.
    platform::RegistrySources Sources(std::vector<std::filesystem::path> regFiles) const
    {
        platform::RegistrySources sources;
        sources.regFiles = std::move(regFiles);
        sources.serialPorts = {m_root / "sys", m_root / "dev"};
        sources.udevData = m_root / "udev";
        return sources;
    }

private:
    std::filesystem::path m_root;
    ScopedEnvironment m_noNamedPorts{platform::SerialPortMap::kEnvironmentVariable, std::nullopt};
};

} // namespace testsupport
