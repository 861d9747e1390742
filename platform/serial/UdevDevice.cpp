#include "serial/UdevDevice.h"

#include <charconv>
#include <libudev.h>
#include <memory>
#include <string_view>
#include <sys/sysmacros.h>

namespace platform {

namespace {

constexpr std::string_view kDev = "/dev/";

bool ParseDeviceNumber(std::string_view text, dev_t& number)
{
    const std::size_t colon = text.find(':');
    unsigned major = 0, minor = 0;
    if (colon == std::string_view::npos)
        return false;
    const auto [majorEnd, majorError] = std::from_chars(text.data(), text.data() + colon, major);
    const auto [minorEnd, minorError] =
        std::from_chars(text.data() + colon + 1, text.data() + text.size(), minor);
    if (majorError != std::errc() || minorError != std::errc() || majorEnd != text.data() + colon ||
        minorEnd != text.data() + text.size())
        return false;
    number = makedev(major, minor);
    return true;
}

std::string Property(udev_device* device, const char* name)
{
    const char* value = udev_device_get_property_value(device, name);
    return value ? value : "";
}

} // namespace

UdevRecord SystemUdevRecord(const std::string& deviceNumber)
{
    UdevRecord record;
    dev_t number = 0;
    if (!ParseDeviceNumber(deviceNumber, number))
        return record;
    const std::unique_ptr<udev, decltype(&udev_unref)> context(udev_new(), udev_unref);
    if (!context)
        return record;
    const std::unique_ptr<udev_device, decltype(&udev_device_unref)> device(
        udev_device_new_from_devnum(context.get(), 'c', number), udev_device_unref);
    if (!device)
        return record;
    for (udev_list_entry* link = udev_device_get_devlinks_list_entry(device.get()); link;
         link = udev_list_entry_get_next(link)) {
        std::string_view name = udev_list_entry_get_name(link);
        if (!name.starts_with(kDev))
            continue;
        // Known by the name below /dev, as the numbers file has always kept it.
        name.remove_prefix(kDev.size());
        std::string* slot = name.starts_with("serial/by-id/")     ? &record.byId
                            : name.starts_with("serial/by-path/") ? &record.byPath
                                                                  : nullptr;
        if (slot && slot->empty())
            *slot = name;
    }
    record.model = Property(device.get(), "ID_MODEL");
    record.modelFromDatabase = Property(device.get(), "ID_MODEL_FROM_DATABASE");
    record.interfaceNumber = Property(device.get(), "ID_USB_INTERFACE_NUM");
    return record;
}

} // namespace platform
