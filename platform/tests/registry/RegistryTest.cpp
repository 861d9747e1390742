#include "registry/Registry.h"

#include "messages/Notice.h"
#include "registry/RegFile.h"
#include "registry/SerialRegistry.h"
#include "serial/KeptNumbers.h"
#include "serial/SerialPortMap.h"
#include "support/ChildProcess.h"
#include "support/RegistryFixture.h"
#include "support/ScopedEnvironment.h"

#include <cstring>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace platform;
using namespace testsupport;
using testing::ElementsAre;
namespace fs = std::filesystem;

namespace {

// The value's data as the 8-bit calls hand it out and its type, or "<none>".
std::pair<std::string, std::uint32_t> Value(const RegistryKeyNode& root, std::string_view path,
                                            std::string_view name)
{
    const RegistryKeyNode* key = FindPath(root, path);
    if (!key || !key->values.contains(name))
        return {"<none>", 0};
    const auto& value = key->values.find(name)->second;
    return {value.data, value.type};
}

std::vector<std::size_t> Lines(const std::vector<RegFileProblem>& problems)
{
    std::vector<std::size_t> lines;
    for (const RegFileProblem& problem : problems)
        lines.push_back(problem.line);
    return lines;
}

// The value through the registry calls, as text, or "<none>".
std::string Read(const std::string& path, const std::string& name)
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<none>";
    unsigned char data[256] = {};
    std::uint32_t size = sizeof data - 1;
    const bool found = RegQueryValueEx(key, name.c_str(), nullptr, data, &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found ? std::string(reinterpret_cast<char*>(data)) : "<none>";
}

// "model=port; model=port" of every modem slot.
std::string ModemSlots()
{
    std::string slots;
    for (int index = 0; index < 10; ++index) {
        const std::string slot = std::string(kModemClassPath) + "\\000" + std::to_string(index);
        if (std::string model = Read(slot, "Model"); model != "<none>")
            slots += (slots.empty() ? "" : "; ") + model + "=" + Read(slot, "AttachedTo");
    }
    return slots;
}

// A real UART, a reserved ttyS without one, a USB adapter that udev knows from its database, a
// USB modem that udev knows only by its own model string, and a console.
void AddPorts(FakeSerialDevices& machine)
{
    machine.Add("ttyS0", "4", "4:64");
    machine.Add("ttyS1", "0", "4:65");
    machine.Add("ttyUSB0", "", "188:0",
                {.model = "CP2102_USB_to_UART", .modelFromDatabase = "CP210x UART Bridge"});
    machine.Add("ttyACM0", "", "166:0", {.model = "Conexant_USB_Modem"});
    machine.Add("tty0");
}

// "1 ttyS0, 2 /dev/pts/7": each port's number and its device, named below the fake /dev.
std::string Present(const SerialPortMap& map, const FakeSerialDevices& machine)
{
    std::string present;
    for (const platform::SerialPort& port : map.Ports()) {
        const bool onTheMachine = port.device.parent_path() == machine.Device("").parent_path();
        present += (present.empty() ? "" : ", ") + std::to_string(port.comNumber) + " " +
                   (onTheMachine ? port.deviceName : port.device.string());
    }
    return present;
}

} // namespace

TEST(RegFileTest, BytesBecomeValues)
{
    std::string utf16 = "\xFF\xFE";
    for (char16_t unit : std::u16string_view(u"Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_"
                                             u"MACHINE\\M\u00fc]\r\n\"V\"=\"\u00fc \U0001F4DE\"\n"))
        utf16 += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    const std::string files[] = {
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"Text\"=hex(1):43,4f,4d,00\n"
        "[HKEY_CURRENT_USER\\A]\n\"User\"=\"other roots are left out\"\n",
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\Modems]\r\n"
        "\"Model\"=\"Hayes \\\"Accura\\\"\"\r\n  \"Path\"=\"C:\\\\x\"\r\n@=\"default\"\r\n"
        "\"Dword\"=dword:0001e240\n\"Short\"=DWORD:7\n\"Binary\"=hex:41,54,00,\\\n  5a\n"
        "\"Expand\"=hex(2):43,00,4f,00,4d,00,\\\n 33,00,\\\n 00,00\n\"Empty\"=hex(0):\n"
        "\"Gone\"=\"1\"\n\"gone\"=-\n\"Dangling\"=hex:41,\\\n[HKEY_LOCAL_MACHINE\\B]\n\"K\"=\"k\"\n"
        "[HKEY_LOCAL_MACHINE\\system\\MODEMS]\n\"path\"=\"later\"\n"
        "[HKEY_LOCAL_MACHINE\\B\\C]\n[-HKEY_LOCAL_MACHINE\\B\\C]\n",
        utf16,
        "\xEF\xBB\xBFREGEDIT4\r[HKEY_LOCAL_MACHINE\\M]\r\"V\"=\"x\"\r",
    };
    RegistryKeyNode root;
    for (const std::string& file : files)
        EXPECT_THAT(ApplyRegFile(file, root), testing::IsEmpty());
    auto Sz = [](std::string_view text) { return std::string(text) + '\0'; };
    const std::tuple<const char*, const char*, std::string, std::uint32_t> rows[] = {
        {"A", "Text", Sz("COM"), REG_SZ}, // 8-bit text in version 4, UTF-16 in version 5
        {"SYSTEM\\Modems", "Expand", Sz("COM3"), REG_EXPAND_SZ},
        {"A", "User", "<none>", 0},
        {"system\\modems", "MODEL", Sz("Hayes \"Accura\""), REG_SZ},
        {"SYSTEM\\Modems", "Path", Sz("later"), REG_SZ},
        {"SYSTEM\\Modems", "", Sz("default"), REG_SZ},
        {"SYSTEM\\Modems", "Dword", std::string("\x40\xe2\x01\x00", 4), REG_DWORD},
        {"SYSTEM\\Modems", "Short", std::string("\x07\0\0\0", 4), REG_DWORD},
        {"SYSTEM\\Modems", "Binary", std::string("AT\0Z", 4), REG_BINARY},
        {"SYSTEM\\Modems", "Empty", "", 0},
        {"SYSTEM\\Modems", "Gone", "<none>", 0},
        {"SYSTEM\\Modems", "Dangling", "A", REG_BINARY},
        {"B", "K", Sz("k"), REG_SZ},
        {"M\xC3\xBC", "V", Sz("\xC3\xBC \xF0\x9F\x93\x9E"), REG_SZ},
        {"M", "V", Sz("x"), REG_SZ},
    };
    for (const auto& [path, name, data, type] : rows) {
        SCOPED_TRACE(testing::Message() << path << '/' << name);
        EXPECT_EQ(Value(root, path, name), std::pair(data, type));
    }
    EXPECT_EQ(FindPath(root, "B\\C"), nullptr);
    EXPECT_EQ(FindPath(root, "SYSTEM")->subKeys.begin()->first, "Modems") << "the first spelling";
}

TEST(RegFileTest, MalformedLinesAreReportedAndTheRestIsRead)
{
    RegistryKeyNode root;
    EXPECT_THAT(Lines(ApplyRegFile("[HKEY_LOCAL_MACHINE\\A]\n", root)), ElementsAre(1u));
    // Line 2 and lines 4 to 20 are each wrong in their own way.
    std::vector<RegFileProblem> problems = ApplyRegFile(
        "REGEDIT4\n\"Orphan\"=\"x\"\n[HKEY_LOCAL_MACHINE\\Good]\n\"Unterminated=\"x\"\n\"Open\"="
        "\"no end\n"
        "\"Junk\"=\"a\" b\n\"NoEquals\" \"a\"\n\"Wide\"=dword:123456789\n\"NotHex\"=dword:12g4\n"
        "\"BadByte\"=hex:41,4g\n\"LongByte\"=hex:414\n\"BadType\"=hex(z):41\n\"Unknown\"=word:1\n"
        "garbage\n[HKEY_LOCAL_MACHINE\\Broken\n\"AfterBrokenKey\"=\"x\"\n"
        "[HKEY_LOCAL_MACHINE\\A\\\\B]\n[HKEY_LOCAL_MACHINE\\]\n[-HKEY_LOCAL_MACHINE]\n"
        "[HKEY_LOCAL_MACHIN\\Typo]\n[HKEY_LOCAL_MACHINE\\Good]\n\"Last\"=\"read\"\n",
        root);
    std::vector<std::size_t> expected{2};
    for (std::size_t line = 4; line <= 20; ++line)
        expected.push_back(line);
    EXPECT_EQ(Lines(problems), expected);
    EXPECT_FALSE(problems[0].reason.empty());
    EXPECT_THAT(root.subKeys, testing::SizeIs(1));
    EXPECT_THAT(root.subKeys.at("Good")->values, testing::SizeIs(1));
    TempFolder folder;
    for (const fs::path& unreadable : {folder / "missing.reg", folder.path()})
        EXPECT_THAT(Lines(ApplyRegFileAt(unreadable, root)), ElementsAre(0u)) << unreadable;
}

class RegistryTest : public testing::Test
{
protected:
    RegistryTest()
    {
        m_registry.Write("[HKEY_LOCAL_MACHINE\\SYSTEM\\Modems]\n\"Model\"=\"Hayes Accura\"\n"
                         "@=\"the default\"\n[HKEY_LOCAL_MACHINE\\SYSTEM\\Modems\\beta]\n"
                         "[HKEY_LOCAL_MACHINE\\SYSTEM\\Modems\\Alpha]\n"
                         "[HKEY_LOCAL_MACHINE\\SYSTEM\\Modems\\Gamma\\Deep]\n");
    }

    static HKEY Open(const char* path, std::int32_t expected = ERROR_SUCCESS,
                     HKEY parent = HKEY_LOCAL_MACHINE, std::uint32_t access = KEY_READ)
    {
        HKEY key = reinterpret_cast<HKEY>(&key);
        EXPECT_EQ(RegOpenKeyEx(parent, path, 0, access, &key), expected) << path;
        EXPECT_EQ(key == nullptr, expected != ERROR_SUCCESS) << path;
        return key;
    }

    RegistryFixture m_registry;
};

TEST_F(RegistryTest, OpensKeysIgnoringCaseQueriesThemAndRejectsClosedHandles)
{
    HKEY key = Open("system\\MODEMS");
    HKEY all = Open("SYSTEM\\Modems", ERROR_SUCCESS, HKEY_LOCAL_MACHINE, KEY_ALL_ACCESS);
    HKEY child = Open("GAMMA\\deep", ERROR_SUCCESS, all);
    HKEY same = Open("", ERROR_SUCCESS, all);
    Open("Delta", ERROR_FILE_NOT_FOUND, all);
    Open("\\Alpha", ERROR_FILE_NOT_FOUND, all);

    std::uint32_t type = 0, size = 0;
    ASSERT_EQ(RegQueryValueEx(key, "model", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 13u);
    unsigned char data[13];
    std::uint32_t small = 12;
    EXPECT_EQ(RegQueryValueEx(key, "Model", nullptr, data, &small), ERROR_MORE_DATA);
    EXPECT_EQ(small, 13u);
    EXPECT_EQ(RegQueryValueEx(key, "Model", nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_STREQ(reinterpret_cast<char*>(data), "Hayes Accura");
    EXPECT_EQ(RegQueryValueEx(key, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 12u); // "the default" and its NUL
    EXPECT_EQ(RegQueryValueEx(key, "AttachedTo", nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);

    std::uint32_t count = 0;
    ASSERT_EQ(RegQueryInfoKey(key, &count), ERROR_SUCCESS);
    EXPECT_EQ(count, 3u);
    // In name order, each index on its own; "Gamma" needs 6 with its terminator.
    const std::tuple<std::uint32_t, std::uint32_t, std::int32_t, const char*> rows[] = {
        {2, 5, ERROR_MORE_DATA, ""},
        {2, 6, ERROR_SUCCESS, "Gamma"},
        {1, 6, ERROR_SUCCESS, "beta"},
        {3, 6, ERROR_NO_MORE_ITEMS, ""}};
    for (auto [index, capacity, result, text] : rows) {
        char name[6];
        ASSERT_EQ(RegEnumKeyEx(key, index, name, &capacity), result) << index;
        if (result == ERROR_SUCCESS) {
            EXPECT_STREQ(name, text);
            EXPECT_EQ(capacity, std::strlen(text));
        }
    }

    for (HKEY open : {key, all, child, same})
        EXPECT_EQ(RegCloseKey(open), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryInfoKey(same, &count), ERROR_INVALID_HANDLE);
    Open("Alpha", ERROR_INVALID_HANDLE, all);
    Open("SYSTEM", ERROR_INVALID_HANDLE, nullptr);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

TEST_F(RegistryTest, OpenKeysShareOneTreeAndTheNextOpenSeesChanges)
{
    HKEY held = Open("SYSTEM");
    m_registry.Write("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Telmo]\n\"Open\"=\"no end\n");
    Open("SOFTWARE", ERROR_FILE_NOT_FOUND);
    RegCloseKey(Open("SYSTEM\\Modems"));
    RegCloseKey(held);

    // Lines the file skips are told once for each version of the file.
    testing::internal::CaptureStderr();
    RegCloseKey(Open("SOFTWARE\\Telmo"));
    RegCloseKey(Open("SOFTWARE\\Telmo"));
    Open("SYSTEM", ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              (m_registry.Folder() / "registry.reg").string() +
                  ":3: line skipped: value data that is neither text, dword:, hex: nor hex(N):\n");
}

TEST(SerialRegistryTest, EachPortWithAUartIsAModemSlotUnlessTheFilesSayOtherwise)
{
    // What each row arranges returns the lines of the registry file.
    const std::tuple<const char*, std::function<std::string(FakeSerialDevices&)>, const char*>
        rows[] = {
            {"the machine's ports, ttyS first", [](auto&) { return ""; },
             "ttyS0=COM1; CP210x UART Bridge=COM2; Conexant_USB_Modem=COM3"},
            {"slots of the files win",
             [](auto&) {
                 return RegistryFixture::Slot("0000", "Mine", "com2") +
                        RegistryFixture::Slot("0001", "Hand Written", "COM7");
             },
             "Mine=com2; Hand Written=COM7; ttyS0=COM1; Conexant_USB_Modem=COM3"},
            {"SERIALCOMM of the files names ports",
             [](FakeSerialDevices& machine) {
                 return "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\n\"" +
                        machine.Device("ttyACM0").string() +
                        "\"=\"COM5\"\n\"/dev/ttyV0\"=\"COM9\"\n";
             },
             "ttyS0=COM1; CP210x UART Bridge=COM2; Conexant_USB_Modem=COM5; ttyV0=COM9"},
            {"ports of one modem and twin modems get names of their own",
             [](FakeSerialDevices& machine) {
                 machine.Remove("ttyUSB0"), machine.Remove("ttyACM0");
                 machine.AddUsb("ttyUSB0", "188:0", "EM7455", "1234", "00");
                 machine.AddUsb("ttyUSB1", "188:1", "EM7455", "1234", "01");
                 machine.AddUsb("ttyUSB3", "188:3", "USB-Serial", "");
                 machine.AddUsb("ttyUSB4", "188:4", "USB-Serial", "");
                 return "";
             },
             "ttyS0=COM1; EM7455 (interface 00)=COM2; EM7455 (interface 01)=COM3; "
             "USB-Serial (interface 00) on COM4=COM4; USB-Serial (interface 00) on COM5=COM5"}};
    for (const auto& [what, arrange, expected] : rows) {
        SCOPED_TRACE(what);
        RegistryFixture registry;
        AddPorts(registry.Machine());
        registry.Write(arrange(registry.Machine()));
        EXPECT_EQ(ModemSlots(), expected);
    }
}

TEST(SerialRegistryTest, PortsAreNamedInSerialCommAndSeenByTheNextOpen)
{
    RegistryFixture registry;
    FakeSerialDevices& machine = registry.Machine();
    AddPorts(machine);
    registry.Write("[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\n"
                   "\"/dev/ttyV0\"=\"COM9\"\n");
    EXPECT_EQ(Read(kSerialCommPath, machine.Device("ttyUSB0").string()), "COM2");
    EXPECT_EQ(Read(kSerialCommPath, machine.Device("ttyS1").string()), "<none>");
    EXPECT_EQ(Read(std::string(kModemClassPath) + "\\0000\\Settings", "Blind_Off"), "X4");
    EXPECT_EQ(RegistrySerialPortMap().DeviceFor(9), fs::path("/dev/ttyV0"));
    // The next open scans the machine again.
    machine.Add("ttyUSB1", "", "188:1");
    EXPECT_EQ(
        ModemSlots(),
        "ttyS0=COM1; CP210x UART Bridge=COM2; Conexant_USB_Modem=COM3; ttyUSB1=COM4; ttyV0=COM9");
}

TEST(SerialPortMapTest, MachinePortsFillTheNumbersThatNamedPortsLeave)
{
    // Each row: the environment variable, the AddPort calls, the ports then present.
    const std::tuple<const char*, std::vector<std::pair<int, std::string>>, const char*> rows[] = {
        // Series by series, in kernel index order.
        {"", {}, "1 ttyS0, 2 ttyUSB0, 3 ttyUSB2, 4 ttyUSB10, 5 ttyACM0"},
        // Named ports keep their numbers; a machine port named moves.
        {"COM2=/dev/pts/7;com5=/tmp/modem",
         {{9, "ttyACM0"}},
         "1 ttyS0, 2 /dev/pts/7, 3 ttyUSB0, 4 ttyUSB2, 5 /tmp/modem, 6 ttyUSB10, 9 ttyACM0"},
        // The environment outranks added ports; bad entries are left out.
        {"junk;COM0=/a;COMx=/b;COM4=;=/c;;COM-1=/d;COM1:=/e;LPT1=/f;COM99999999999=/g;"
         "COM3=/dev/pts/3",
         {{3, "/dev/ttyUSB7"}, {0, "/dev/ttyUSB7"}, {6, ""}, {7, "/dev/ttyUSB7"}},
         "1 ttyS0, 2 ttyUSB0, 3 /dev/pts/3, 4 ttyUSB2, 5 ttyUSB10, 6 ttyACM0, 7 /dev/ttyUSB7"}};
    for (const auto& [variable, added, expected] : rows) {
        SCOPED_TRACE(testing::Message() << "ports named: " << variable);
        TempFolder folder;
        FakeSerialDevices machine(folder.path());
        // Ports of each series, and look-alikes that are not serial ports at all.
        for (const char* name : {"ttyUSB10", "ttyUSB0", "ttyUSB2", "ttyACM0", "tty0", "ttySAC0"})
            machine.Add(name);
        // ttyS1 is reserved, with no UART behind it; ttyS2 has no device node.
        machine.Add("ttyS0", "4"), machine.Add("ttyS1", "0"), machine.Add("ttyS2", "4");
        fs::remove(machine.Device("ttyS2"));
        ScopedEnvironment named(SerialPortMap::kEnvironmentVariable, variable);
        SerialPortMap map(machine.Roots());
        for (const auto& [number, device] : added)
            map.AddPort(number,
                        device.starts_with("tty") ? machine.Device(device) : fs::path(device));
        EXPECT_EQ(Present(map, machine), expected);
        EXPECT_EQ(map.DeviceFor(1), machine.Device("ttyS0"));
        EXPECT_EQ(map.DeviceFor(8), std::nullopt);
    }
}

TEST(SerialPortNumbersTest, EveryDeviceKeepsItsNumberThroughPluggingAndReboots)
{
    TempFolder folder;
    FakeSerialDevices machine(folder.path());
    auto modemA = [&](const std::string& name) { machine.AddUsb(name, "166:9", "Modem", "A"); };
    auto adapterB = [&](const std::string& name) { machine.AddUsb(name, "188:7", "Adapter", "B"); };
    auto adapterC = [&](const std::string& name) { machine.AddUsb(name, "188:8", "Adapter", "C"); };
    const std::tuple<const char*, std::function<void()>, const char*> steps[] = {
        {"first start", [&] { machine.Add("ttyS0", "4"), modemA("ttyACM0"); },
         "1 ttyS0, 2 ttyACM0"},
        {"an adapter plugged in", [&] { adapterB("ttyUSB0"); }, "1 ttyS0, 2 ttyACM0, 3 ttyUSB0"},
        {"the modem unplugged", [&] { machine.Remove("ttyACM0"); }, "1 ttyS0, 3 ttyUSB0"},
        {"another adapter plugged in", [&] { adapterC("ttyUSB1"); },
         "1 ttyS0, 3 ttyUSB0, 4 ttyUSB1"},
        {"a reboot that names every USB device anew",
         [&] {
             machine.Remove("ttyUSB0"), machine.Remove("ttyUSB1");
             adapterC("ttyUSB0"), adapterB("ttyUSB1"), modemA("ttyACM1");
         },
         "1 ttyS0, 2 ttyACM1, 3 ttyUSB1, 4 ttyUSB0"}};
    for (const auto& [what, change, expected] : steps) {
        SCOPED_TRACE(what);
        change();
        // A map of its own for each step, as each program start has: only the file remembers.
        EXPECT_EQ(Present(SerialPortMap(machine.Roots()), machine), expected);
    }

    // The file as a person may leave it: only well-formed lines count, the first of each number.
    const KeptNumbersText text =
        ParseKeptNumbers("junk\nCOM0=zero\nCOMx=x\nCOM9=\nCOM2=serial/by-id/usb-Adapter_B-if00\n"
                         "COM2=taken twice\nCOM5=serial/by-id/usb-Adapter_B-if00\n# note\n\n"
                         "com3=serial/by-id/usb-Adapter_C-if00\r\n");
    EXPECT_EQ(text.numbers, (KeptNumbers{{2, "serial/by-id/usb-Adapter_B-if00"},
                                         {3, "serial/by-id/usb-Adapter_C-if00"}}));
    EXPECT_THAT(text.badLines, ElementsAre(1, 2, 3, 4, 6, 7));
    // A named port takes COM3 from the device that had it, which gets the lowest free number.
    WriteFile(machine.NumbersFile(), FormatKeptNumbers(text.numbers));
    ScopedEnvironment named(SerialPortMap::kEnvironmentVariable, "COM3=/dev/pts/9");
    EXPECT_EQ(Present(SerialPortMap(machine.Roots()), machine),
              "1 ttyS0, 2 ttyUSB1, 3 /dev/pts/9, 4 ttyUSB0, 5 ttyACM1");
}

TEST(SerialPortNumbersTest, AFileThatCannotBeReadOrIsDamagedIsNeverReplacedAndTheUserToldOnce)
{
    // COM7 for the modem that is plugged in, COM3 for an adapter that is not; a new adapter too.
    const std::string kept = "COM7=serial/by-id/usb-Modem_A-if00\n"
                             "COM3=serial/by-id/usb-Adapter_B-if00\n";
    const std::tuple<std::string, fs::perms, std::string> rows[] = {
        {kept, fs::perms::none, "1 ttyUSB0, 2 ttyACM0"}, // unreadable
        {kept + "COM 4 = the fax\n", fs::perms::owner_read, "1 ttyUSB0, 7 ttyACM0"}};
    for (const auto& [file, mode, present] : rows) {
        TempFolder folder;
        fs::permissions(folder.path(), fs::perms::all);
        // Root reads any file, so the ports are numbered as nobody where the test runs as root.
        ChildProcess numbering = ForkAsNobody([&] {
            FakeSerialDevices machine(folder / "machine");
            machine.AddUsb("ttyACM0", "166:0", "Modem", "A");
            machine.AddUsb("ttyUSB0", "188:0", "Adapter", "C");
            fs::create_directories(machine.NumbersFile().parent_path());
            WriteFile(machine.NumbersFile(), file);
            fs::permissions(machine.NumbersFile(), mode);
            int told = 0;
            SetNoticeHandler([&](const std::string&) { ++told; });
            const std::string seen = Present(SerialPortMap(machine.Roots()), machine) + "; " +
                                     Present(SerialPortMap(machine.Roots()), machine);
            fs::permissions(machine.NumbersFile(), fs::perms::owner_read);
            WriteFile(folder / "seen",
                      seen + "; told " + std::to_string(told) +
                          (ReadFile(machine.NumbersFile()) == file ? "" : "; replaced"));
            return 0;
        });
        ASSERT_EQ(ExitCode(numbering.WaitForExit()), 0);
        EXPECT_EQ(ReadFile(folder / "seen"), present + "; " + present + "; told 1");
    }
}

TEST(SerialPortNumbersTest, ProgramsNumberingAtOnceGiveDistinctNumbersInOneWholeFile)
{
    for (int round = 0; round < 20; ++round) {
        TempFolder folder;
        const fs::path numbers = folder / "serial-ports";
        // Each program sees one device of its own, new to the file they share.
        const std::vector<int> given = RunAtOnce(2, [&](int program) {
            FakeSerialDevices machine(folder / std::to_string(program));
            machine.AddUsb("ttyUSB0", "188:0", "Adapter", std::to_string(program));
            SerialPortRoots roots = machine.Roots();
            roots.numbers = numbers;
            return SerialPortMap(roots).Ports().at(0).comNumber;
        });
        ASSERT_NE(given[0], given[1]) << "round " << round;
        EXPECT_EQ(ParseKeptNumbers(ReadFile(numbers)).numbers,
                  (KeptNumbers{{given[0], "serial/by-id/usb-Adapter_0-if00"},
                               {given[1], "serial/by-id/usb-Adapter_1-if00"}}));
    }
}
