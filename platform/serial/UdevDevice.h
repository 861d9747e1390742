#pragma once

#include <functional>
#include <string>

namespace platform {

// What udev knows of a device: the links it made for it below /dev ("serial/by-id/...",
// "serial/by-path/...") and the properties serial ports are named by.
struct UdevRecord
{
    std::string byId{};
    std::string byPath{};
    std::string model{};
    std::string modelFromDatabase{};
    std::string interfaceNumber{}; // the USB interface the port belongs to ("02")
};

// Looks a character device up by its number ("188:0"); an empty record when udev does not know
// the device.
using UdevLookup = std::function<UdevRecord(const std::string& deviceNumber)>;

// The system's udev database, through libudev (its files are udev's private business). Empty
// where udev does not run, as in most containers.
UdevRecord SystemUdevRecord(const std::string& deviceNumber);

} // namespace platform
