#pragma once

#include "RegistryTree.h"
#include "SerialPortMap.h"

#include <filesystem>
#include <vector>

namespace platform {

// Where the original platform's registry keeps its serial ports and installed modems.
constexpr const char* kSerialCommPath = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr const char* kModemClassPath =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";

// Names the devices that the SERIALCOMM key of a tree lists (value name: the device path, data:
// "COMn") in the map, as explicit entries.
void AddSerialCommEntries(const RegistryKeyNode& localMachine, SerialPortMap& map);

// What is known of the machine's serial ports beyond their names.
struct SerialDeviceInfo
{
    std::filesystem::path sysfs = "/sys";
    std::filesystem::path udevData = "/run/udev/data";
};

// The model name of a port: udev's ID_MODEL_FROM_DATABASE or ID_MODEL from its file in the udev
// data folder, else the device's own name. A port named explicitly is looked up under its device
// name in sysfs, or by its device number.
std::string SerialPortModel(const SerialPort& port, const SerialDeviceInfo& info);

// Describes the ports in the tree as the original platform would after installing a generic
// Hayes modem on each: a value "device path" = "COMn" in SERIALCOMM, and a modem slot (the next
// free "0000", "0001", ... of the modem class) with "Model", "AttachedTo" and a "Settings" key of
// command fragments. What the tree already holds wins: a SERIALCOMM value is kept, a slot number
// in use is passed over, and a port that a slot is already attached to gets no slot of its own.
void AddSerialPortKeys(RegistryKeyNode& localMachine, const std::vector<SerialPort>& ports,
                       const SerialDeviceInfo& info);

} // namespace platform
