#pragma once

#include "registry/RegistryTree.h"
#include "serial/SerialPortMap.h"

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

// The name of each port's modem slot: udev's model, else the device's name. Ports that would
// share a name, as the ports of one multi-port USB modem do, are told apart by their USB
// interface number ("Sierra Modem (interface 03)"), and twins beyond that by their COM name.
std::vector<std::string> ModemNames(const std::vector<SerialPort>& ports);

// Describes the ports in the tree as the original platform would after installing a generic
// Hayes modem on each: a value "device path" = "COMn" in SERIALCOMM, and a modem slot (the next
// free "0000", "0001", ... of the modem class) with "Model", "AttachedTo" and a "Settings" key of
// command fragments. What the tree already holds wins: a SERIALCOMM value is kept, a slot number
// in use is passed over, and a port that a slot is already attached to gets no slot of its own.
void AddSerialPortKeys(RegistryKeyNode& localMachine, const std::vector<SerialPort>& ports);

} // namespace platform
