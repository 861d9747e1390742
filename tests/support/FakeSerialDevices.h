#pragma once

#include "ScopedEnvironment.h"
#include "registry/Registry.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace testsupport {

// A machine's serial ports for the registry to find: a fake /sys, /dev, lock folder and numbers
// file below one folder, what udev knows of the ports, and no ports named through the
// environment. Empty until ports are added.
class FakeSerialDevices
{
public:
    explicit FakeSerialDevices(std::filesystem::path root) : m_root(std::move(root))
    {
        std::filesystem::create_directories(m_root / "dev");
        std::filesystem::create_directories(m_root / "lock");
    }

    // A tty with its device node; the sysfs "type" and "dev" files and what udev knows of it are
    // written when given.
    void Add(const std::string& name, const std::string& type = "",
             const std::string& deviceNumber = "", const platform::UdevRecord& udev = {})
    {
        std::filesystem::path folder = m_root / "sys" / "class" / "tty" / name;
        std::filesystem::create_directories(folder);
        if (!type.empty())
            std::ofstream(folder / "type") << type << "\n";
        if (!deviceNumber.empty())
            std::ofstream(folder / "dev") << deviceNumber << "\n";
        (*m_udev)[deviceNumber] = udev;
        std::ofstream(Device(name));
    }

    // A USB serial port as udev describes it: its by-id link (serial number and interface) and
    // model.
    void AddUsb(const std::string& name, const std::string& deviceNumber, const std::string& model,
                const std::string& serial, const std::string& interfaceNumber = "00")
    {
        Add(name, "", deviceNumber,
            {.byId = "serial/by-id/usb-" + model + "_" + serial + "-if" + interfaceNumber,
             .model = model,
             .interfaceNumber = interfaceNumber});
    }

    // Unplugs a port: the kernel's and udev's knowledge of it and its device node go.
    void Remove(const std::string& name)
    {
        std::filesystem::path folder = m_root / "sys" / "class" / "tty" / name;
        std::string number;
        std::getline(std::ifstream(folder / "dev"), number);
        std::filesystem::remove_all(folder);
        std::filesystem::remove(Device(name));
        m_udev->erase(number);
    }

    std::filesystem::path Device(const std::string& name) const { return m_root / "dev" / name; }
    std::filesystem::path NumbersFile() const { return m_root / "config" / "serial-ports"; }
    std::filesystem::path LockFolder() const { return m_root / "lock"; }

    platform::SerialPortRoots Roots() const
    {
        auto lookUp = [udev = m_udev](const std::string& number) {
            auto found = udev->find(number);
            return found == udev->end() ? platform::UdevRecord() : found->second;
        };
        return {m_root / "sys", m_root / "dev", lookUp, NumbersFile(), LockFolder()};
    }

    // Registry sources made of the given files and these ports.
    platform::RegistrySources Sources(std::vector<std::filesystem::path> regFiles) const
    {
        platform::RegistrySources sources;
        sources.regFiles = std::move(regFiles);
        sources.serialPorts = Roots();
        return sources;
    }

private:
    std::filesystem::path m_root;
    std::shared_ptr<std::map<std::string, platform::UdevRecord>> m_udev =
        std::make_shared<std::map<std::string, platform::UdevRecord>>();
    ScopedEnvironment m_noNamedPorts{platform::SerialPortMap::kEnvironmentVariable, std::nullopt};
};

} // namespace testsupport
