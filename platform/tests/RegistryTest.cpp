#include "Registry.h"

#include "support/FakeSerialDevices.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace platform;

namespace {

class RegistryTest : public testing::Test
{
protected:
    RegistryTest()
    {
        WriteRegFile("REGEDIT4\n"
                     "[HKEY_LOCAL_MACHINE\\SYSTEM\\Modems]\n"
                     "\"Model\"=\"Hayes Accura\"\n"
                     "@=\"the default\"\n"
                     "[HKEY_LOCAL_MACHINE\\SYSTEM\\Modems\\beta]\n"
                     "[HKEY_LOCAL_MACHINE\\SYSTEM\\Modems\\Alpha]\n"
                     "[HKEY_LOCAL_MACHINE\\SYSTEM\\Modems\\Gamma\\Deep]\n");
    }

    // Replaces the file, so that the registry sees a new one even within one clock tick.
    void WriteRegFile(const std::string& text)
    {
        testsupport::WriteFile(m_folder / "next.reg", text);
        fs::rename(m_folder / "next.reg", m_file);
    }

    HKEY Open(const char* path, std::int32_t expected = ERROR_SUCCESS)
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key), expected) << path;
        return key;
    }

    std::vector<std::string> SubKeyNames(HKEY key)
    {
        std::vector<std::string> names;
        char name[16];
        std::uint32_t length = sizeof name;
        for (std::uint32_t i = 0; RegEnumKeyEx(key, i, name, &length) == ERROR_SUCCESS; ++i) {
            EXPECT_EQ(length, std::strlen(name));
            names.emplace_back(name);
            length = sizeof name;
        }
        return names;
    }

    testsupport::TempFolder m_folder;
    fs::path m_file = m_folder / "registry.reg";
    testsupport::FakeSerialDevices m_noSerialPorts{m_folder / "machine"};
    ScopedRegistrySources m_sources{m_noSerialPorts.Sources({m_file})};
};

} // namespace

TEST_F(RegistryTest, OpensKeysWithEitherAccessIgnoringCase)
{
    HKEY read = nullptr;
    HKEY all = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "system\\MODEMS", 0, KEY_READ, &read),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SYSTEM\\Modems", 0, KEY_ALL_ACCESS, &all),
              ERROR_SUCCESS);
    EXPECT_NE(read, all);

    HKEY child = nullptr;
    EXPECT_EQ(RegOpenKeyEx(all, "GAMMA\\deep", 0, KEY_READ, &child), ERROR_SUCCESS);
    HKEY same = nullptr;
    EXPECT_EQ(RegOpenKeyEx(all, "", 0, KEY_READ, &same), ERROR_SUCCESS);
    EXPECT_EQ(SubKeyNames(same), SubKeyNames(all));

    HKEY missing = reinterpret_cast<HKEY>(&missing);
    EXPECT_EQ(RegOpenKeyEx(all, "Delta", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(RegOpenKeyEx(all, "\\Alpha", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
    for (HKEY key : {read, all, child, same})
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, QueriesValueSizeTypeAndData)
{
    HKEY key = Open("SYSTEM\\Modems");
    std::uint32_t type = 0;
    std::uint32_t size = 0;
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
    EXPECT_EQ(RegQueryValueEx(key, "Model", nullptr, data, nullptr), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(RegistryTest, EnumeratesSubKeysInNameOrderWithTheirCodes)
{
    HKEY key = Open("SYSTEM\\Modems");
    std::uint32_t count = 0;
    ASSERT_EQ(RegQueryInfoKey(key, &count), ERROR_SUCCESS);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(SubKeyNames(key), (std::vector<std::string>{"Alpha", "beta", "Gamma"}));

    char name[6];
    std::uint32_t length = 5; // "Gamma" needs 6 with its terminator
    EXPECT_EQ(RegEnumKeyEx(key, 2, name, &length), ERROR_MORE_DATA);
    length = 6;
    EXPECT_EQ(RegEnumKeyEx(key, 2, name, &length), ERROR_SUCCESS);
    EXPECT_EQ(length, 5u);
    // Going back to an earlier index still finds the right name.
    length = 6;
    EXPECT_EQ(RegEnumKeyEx(key, 0, name, &length), ERROR_SUCCESS);
    EXPECT_STREQ(name, "Alpha");
    EXPECT_EQ(RegEnumKeyEx(key, 3, name, &length), ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);

    // The predefined root can be listed without opening anything.
    EXPECT_EQ(SubKeyNames(HKEY_LOCAL_MACHINE), std::vector<std::string>{"SYSTEM"});
}

TEST_F(RegistryTest, ClosedAndUnknownHandlesAreRejected)
{
    HKEY key = Open("SYSTEM");
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    std::uint32_t count = 0;
    EXPECT_EQ(RegQueryInfoKey(key, &count), ERROR_INVALID_HANDLE);
    HKEY child = nullptr;
    EXPECT_EQ(RegOpenKeyEx(key, "Modems", 0, KEY_READ, &child), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyEx(nullptr, "SYSTEM", 0, KEY_READ, &child), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

TEST_F(RegistryTest, OpenKeysShareOneTreeAndTheNextOpenSeesChanges)
{
    HKEY held = Open("SYSTEM");
    WriteRegFile("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Telmo]\n");
    // While a key is open, every key opened belongs to the same tree.
    Open("SOFTWARE", ERROR_FILE_NOT_FOUND);
    HKEY modems = Open("SYSTEM\\Modems");
    RegCloseKey(held);
    RegCloseKey(modems);

    HKEY fresh = Open("SOFTWARE\\Telmo");
    Open("SYSTEM", ERROR_FILE_NOT_FOUND);
    RegCloseKey(fresh);
}

TEST_F(RegistryTest, SkippedLinesAreReportedOncePerVersionOfTheFile)
{
    WriteRegFile("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Good]\n\"Open\"=\"no end\n\"V\"=\"1\"\n");
    testing::internal::CaptureStderr();
    HKEY first = Open("Good");
    RegCloseKey(first);
    HKEY again = Open("Good");
    RegCloseKey(again);
    std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_EQ(messages, m_file.string() + ":3: line skipped: value data that is neither text, "
                                          "dword:, hex: nor hex(N):\n");
}

TEST_F(RegistryTest, TheEnvironmentNamesTheFile)
{
    {
        testsupport::ScopedEnvironment named(RegistrySources::kEnvironmentVariable,
                                             "/tmp/telmo-test.reg");
        EXPECT_EQ(RegistrySources::Default().regFiles,
                  std::vector<fs::path>{"/tmp/telmo-test.reg"});
    }
    testsupport::ScopedEnvironment empty(RegistrySources::kEnvironmentVariable, "");
    RegistrySources fallback = RegistrySources::Default();
    EXPECT_EQ(fallback.regFiles.empty(), !fs::exists(RegistrySources::kSystemFile));
    EXPECT_EQ(fallback.serialPorts.sysfs, "/sys");
}

TEST(SystemMessageTextTest, WordsTheRegistryCodes)
{
    EXPECT_EQ(SystemMessageText(ERROR_SUCCESS), "The operation completed successfully.");
    EXPECT_EQ(SystemMessageText(ERROR_FILE_NOT_FOUND),
              "The system cannot find the file specified.");
    EXPECT_EQ(SystemMessageText(ERROR_MORE_DATA), "More data is available.");
    EXPECT_EQ(SystemMessageText(ERROR_NO_MORE_ITEMS), "No more data is available.");
    EXPECT_EQ(SystemMessageText(ERROR_INVALID_HANDLE), "The handle is invalid.");
    EXPECT_EQ(SystemMessageText(4242), std::nullopt);
}
