#include "RegistryEx.h"

#include "support/RegistryFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace platform;
using testing::AllOf;
using testing::ElementsAre;
using testing::EndsWith;
using testing::IsEmpty;
using testing::StartsWith;
using testsupport::RegistryFixture;

namespace {

class RegistryExTest : public testing::Test
{
protected:
    RegistryErrorReporter Recorder()
    {
        return [this](const RegistryErrorMessage& error) { m_errors.push_back(error); };
    }

    // A key under Enum with a Driver value.
    static std::string Device(const std::string& path, const std::string& driver)
    {
        return "[HKEY_LOCAL_MACHINE\\Enum\\" + path + "]\n\"Driver\"=\"" + driver + "\"\n";
    }

    std::string FindDriver(const std::string& wanted)
    {
        CRegistryKey search(HKEY_LOCAL_MACHINE, Recorder());
        EXPECT_TRUE(search.Open(HKEY_LOCAL_MACHINE, ""));
        return search.FindKeyByValue("Enum", "Driver", wanted);
    }

    RegistryFixture m_registry;
    std::vector<RegistryErrorMessage> m_errors;
    const std::string m_longName = std::string(200, 'X');
};

} // namespace

TEST_F(RegistryExTest, OpenRecordsPathResultAndResetsTheValueFields)
{
    m_registry.Write("[HKEY_LOCAL_MACHINE\\Values]\n\"Text\"=\"hello\"\n");
    CRegistryKey key(HKEY_LOCAL_MACHINE, Recorder());
    EXPECT_EQ(key.Handle(), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(key.SubKey(), "");

    ASSERT_TRUE(key.Open(HKEY_LOCAL_MACHINE, "VALUES"));
    std::string text;
    ASSERT_TRUE(key.QueryString("text", text));
    EXPECT_EQ(text, "hello");
    EXPECT_EQ(key.LastValueType(), REG_SZ);
    EXPECT_EQ(key.LastValueSize(), 6u);

    EXPECT_FALSE(key.Open(HKEY_LOCAL_MACHINE, "Missing"));
    EXPECT_EQ(key.SubKey(), "Missing");
    EXPECT_EQ(key.LastResult(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.LastValueType(), 0u);
    EXPECT_EQ(key.LastValueSize(), 0u);
    EXPECT_EQ(key.Handle(), nullptr);
    key.Close();
    EXPECT_EQ(key.Handle(), nullptr);
}

TEST_F(RegistryExTest, QueryStringHoldsAtMost200Bytes)
{
    m_registry.Write("[HKEY_LOCAL_MACHINE\\Values]\n\"Fits\"=\"" + std::string(199, 'a') +
                     "\"\n\"TooLong\"=\"" + std::string(200, 'b') + "\"\n");
    CRegistryKey key(HKEY_LOCAL_MACHINE, Recorder());
    ASSERT_TRUE(key.Open(HKEY_LOCAL_MACHINE, "Values"));
    std::string text = "unchanged";
    EXPECT_FALSE(key.QueryString("TooLong", text));
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(key.LastResult(), ERROR_MORE_DATA);
    EXPECT_EQ(key.LastValueSize(), 201u);
    EXPECT_FALSE(key.QueryString("Missing", text));
    EXPECT_EQ(key.LastResult(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(key.QueryString("Fits", text));
    EXPECT_EQ(text, std::string(199, 'a'));
}

TEST_F(RegistryExTest, EnumSubKeysReportsANameThatDoesNotFit)
{
    m_registry.Write("[HKEY_LOCAL_MACHINE\\Enum\\A]\n"
                     "[HKEY_LOCAL_MACHINE\\Enum\\" +
                     std::string(199, 'W') +
                     "]\n"
                     "[HKEY_LOCAL_MACHINE\\Enum\\" +
                     m_longName +
                     "]\n"
                     "[HKEY_LOCAL_MACHINE\\Enum\\Z]\n");
    CRegistryKey key(HKEY_LOCAL_MACHINE, Recorder());
    std::vector<std::string> names = {"old"};
    EXPECT_FALSE(key.EnumSubKeys("Nowhere", names));
    EXPECT_THAT(names, ElementsAre("old"));
    EXPECT_THAT(m_errors, IsEmpty());

    EXPECT_FALSE(key.EnumSubKeys("Enum", names));
    EXPECT_THAT(names, ElementsAre("A", std::string(199, 'W')));
    EXPECT_EQ(key.LastResult(), ERROR_MORE_DATA);
    ASSERT_EQ(m_errors.size(), 1u);
    // The box names the module's source file as the compiler spells it, with the line.
    EXPECT_THAT(m_errors[0].text,
                AllOf(StartsWith("234 RegEnumKeyEx\n"), EndsWith("/RegistryEx.cpp 1024")));
    EXPECT_EQ(m_errors[0].caption, "More data is available.");

    EXPECT_TRUE(key.EnumSubKeys("Enum\\A", names));
    EXPECT_THAT(names, IsEmpty());
}

TEST_F(RegistryExTest, ErrorBoxFallsBackToTheDefaultCaption)
{
    ReportRegistryError(Recorder(), 4242, "RegEnumKeyEx", "RegistryEx.cpp", 1024);
    ASSERT_EQ(m_errors.size(), 1u);
    EXPECT_EQ(m_errors[0].text, "4242 RegEnumKeyEx\nRegistryEx.cpp 1024");
    EXPECT_EQ(m_errors[0].caption, "Error");
}

TEST_F(RegistryExTest, SearchIsDepthFirstWithEachKeyBeforeItsChildren)
{
    m_registry.Write(Device("A", "other") + Device("A\\Deep\\Deeper", "Modem\\0001") +
                     Device("B", "modem\\0001") + Device("C", "Modem\\0002") +
                     Device("C\\Child", "Modem\\0002"));
    EXPECT_EQ(FindDriver("MODEM\\0001"), "Enum\\A\\Deep\\Deeper");
    EXPECT_EQ(FindDriver("Modem\\0002"), "Enum\\C");
    EXPECT_EQ(FindDriver("Modem\\0003"), "");
    EXPECT_THAT(m_errors, IsEmpty());
}

TEST_F(RegistryExTest, ALongNameSkipsTheRestOfItsParentsChildren)
{
    // Enum\Root cannot be listed, so neither of its children is searched; Enum\Z still is.
    m_registry.Write(Device("Root\\AAA", "other") + Device("Root\\" + m_longName, "other") +
                     Device("Root\\ZZZ", "Modem\\0001") + Device("Z", "Modem\\0002"));
    EXPECT_EQ(FindDriver("Modem\\0001"), "");
    EXPECT_EQ(m_errors.size(), 1u);
    EXPECT_EQ(FindDriver("Modem\\0002"), "Enum\\Z");

    // Directly under Enum, the long name ends the whole search.
    m_registry.Write(Device("A", "Modem\\0001") + Device(m_longName, "other"));
    m_errors.clear();
    EXPECT_EQ(FindDriver("Modem\\0001"), "");
    ASSERT_EQ(m_errors.size(), 1u);
    EXPECT_EQ(m_errors[0].caption, "More data is available.");
}
