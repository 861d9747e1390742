#pragma once

// The registry view: the system registry of the original platform, read only, with its calls,
// return codes and buffer rules. Only HKEY_LOCAL_MACHINE exists. Its tree is built when a key is
// opened from it while no other key is open, and stays the same for every key opened meanwhile: the
// registry editor files (RegFile.h), then the machine's serial ports with a generic modem on each
// (SerialRegistry.h). A registry file too large is not read, and a malformed line is skipped and
// reported while the rest of the file still counts.

#include "registry/RegistryTree.h"
#include "serial/SerialPortMap.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct RegistryKeyHandle;
using HKEY = RegistryKeyHandle*;
extern const HKEY HKEY_LOCAL_MACHINE;

// Return codes, numbered as the original platform numbers them.
constexpr std::int32_t ERROR_SUCCESS = 0;
constexpr std::int32_t ERROR_FILE_NOT_FOUND = 2;
constexpr std::int32_t ERROR_INVALID_HANDLE = 6;
constexpr std::int32_t ERROR_INVALID_PARAMETER = 87;
constexpr std::int32_t ERROR_MORE_DATA = 234;
constexpr std::int32_t ERROR_NO_MORE_ITEMS = 259;

// Access rights. The tree cannot be written, so every right is granted for reading.
constexpr std::uint32_t KEY_READ = 0x20019;
constexpr std::uint32_t KEY_ALL_ACCESS = 0xF003F;

// Where the tree comes from.
struct RegistrySources
{
    static constexpr const char* kEnvironmentVariable = "TELMO_REGISTRY";
    static constexpr const char* kSystemFile = "/etc/telmo/registry.reg";

    // Registry editor files, applied in order.
    std::vector<std::filesystem::path> regFiles;
    // Where the machine's serial ports and udev's knowledge of them are looked for, and where
    // their COM numbers are kept.
    SerialPortRoots serialPorts;

    // The file that the environment variable names, else the system file.
    static RegistrySources Default();
};

// While alive, the tree is built from the given sources instead of the default ones.
class ScopedRegistrySources
{
public:
    explicit ScopedRegistrySources(RegistrySources sources);
    ~ScopedRegistrySources();
    ScopedRegistrySources(const ScopedRegistrySources&) = delete;
    ScopedRegistrySources& operator=(const ScopedRegistrySources&) = delete;

private:
    std::optional<RegistrySources> m_previous;
};

// The COM names of the serial ports as the registry's SERIALCOMM key gives them: the devices
// that the registry files name, then the machine's ports.
SerialPortMap RegistrySerialPortMap();

// Opens the key at subKey ("\"-separated, names compared without regard to ASCII case) below an
// open key; a null or empty subKey opens that key itself. On failure *result is null.
std::int32_t RegOpenKeyEx(HKEY parent, const char* subKey, std::uint32_t options,
                          std::uint32_t access, HKEY* result);

// A value's type and size and, with a buffer, its data; a null or empty name is the key's default
// value. A buffer smaller than the data gives ERROR_MORE_DATA with the needed size in *dataSize.
std::int32_t RegQueryValueEx(HKEY key, const char* valueName, std::uint32_t* type,
                             unsigned char* data, std::uint32_t* dataSize);

// The number of sub-keys, the one item of the key's information asked for here.
std::int32_t RegQueryInfoKey(HKEY key, std::uint32_t* subKeyCount);

// The name of the sub-key at index into a buffer of *nameLength characters, terminator included;
// on success *nameLength is the name's length. ERROR_MORE_DATA when the name does not fit,
// ERROR_NO_MORE_ITEMS past the last sub-key. Sub-keys come in the order of their names.
std::int32_t RegEnumKeyEx(HKEY key, std::uint32_t index, char* name, std::uint32_t* nameLength);

std::int32_t RegCloseKey(HKEY key);

// The system's text for a return code, as the original platform words it (without the trailing
// line break); nothing for a code it has no text for.
std::optional<std::string> SystemMessageText(std::uint32_t code);

} // namespace platform
