#include "RegFile.h"

#include "support/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <random>

using platform::ApplyRegFile;
using platform::RegFileProblem;
using platform::RegistryKeyNode;
using platform::RegistryValue;
using testing::ElementsAre;
using testing::Field;
using testing::IsEmpty;

namespace fs = std::filesystem;

namespace {

const RegistryValue* FindValue(const RegistryKeyNode& root, std::string_view path,
                               std::string_view name)
{
    const RegistryKeyNode* key = platform::FindPath(root, path);
    if (!key)
        return nullptr;
    auto found = key->values.find(name);
    return found == key->values.end() ? nullptr : &found->second;
}

// The value's data as the 8-bit calls hand it out, or "<none>".
std::string Data(const RegistryKeyNode& root, std::string_view path, std::string_view name)
{
    const RegistryValue* value = FindValue(root, path, name);
    return value ? value->data : "<none>";
}

// A text value's data: the text and its terminating NUL.
std::string Sz(std::string_view text)
{
    return std::string(text) + '\0';
}

std::vector<std::size_t> Lines(const std::vector<RegFileProblem>& problems)
{
    std::vector<std::size_t> lines;
    for (const RegFileProblem& problem : problems)
        lines.push_back(problem.line);
    return lines;
}

std::string ToUtf16Le(std::u16string_view text)
{
    std::string bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

const char kModemFile[] = "Windows Registry Editor Version 5.00\r\n"
                          "\r\n"
                          "[HKEY_LOCAL_MACHINE\\SYSTEM\\Modems\\0000]\r\n"
                          "\"Model\"=\"Hayes \\\"Accura\\\" 56K\"\r\n"
                          "\"AttachedTo\"=\"COM3\"\r\n"
                          "@=\"default text\"\r\n"
                          "\"Path\"=\"C:\\\\Modems\\\\hayes.inf\"\r\n";

} // namespace

TEST(RegFileTest, ReadsKeysAndTextValuesOfBothFormats)
{
    for (std::string header : {"REGEDIT4", "Windows Registry Editor Version 5.00"}) {
        RegistryKeyNode root;
        std::string file = std::string(kModemFile).replace(0, 36, header);
        EXPECT_THAT(ApplyRegFile(file, root), IsEmpty()) << header;
        EXPECT_EQ(Data(root, "SYSTEM\\Modems\\0000", "Model"), Sz("Hayes \"Accura\" 56K"));
        EXPECT_EQ(Data(root, "system\\MODEMS\\0000", "attachedto"), Sz("COM3"));
        EXPECT_EQ(Data(root, "SYSTEM\\Modems\\0000", ""), Sz("default text"));
        EXPECT_EQ(Data(root, "SYSTEM\\Modems\\0000", "Path"), Sz("C:\\Modems\\hayes.inf"));
        EXPECT_EQ(FindValue(root, "SYSTEM\\Modems\\0000", "Model")->type, platform::REG_SZ);
        EXPECT_NE(platform::FindPath(root, "SYSTEM"), nullptr);
    }
}

TEST(RegFileTest, WithoutAHeaderTheFileIsNotUsed)
{
    RegistryKeyNode root;
    std::string file = std::string(kModemFile).substr(38);
    std::vector<RegFileProblem> problems = ApplyRegFile(file, root);
    EXPECT_THAT(Lines(problems), ElementsAre(2u));
    EXPECT_TRUE(root.subKeys.empty());
    EXPECT_THAT(Lines(ApplyRegFile("", root)), ElementsAre(1u));
}

TEST(RegFileTest, KeysOfOtherRootsAreLeftOutAndUnknownRootsReported)
{
    RegistryKeyNode root;
    std::vector<RegFileProblem> problems = ApplyRegFile("REGEDIT4\n"
                                                        "[HKEY_CURRENT_USER\\Software]\n"
                                                        "\"Model\"=\"user modem\"\n"
                                                        "[HKEY_LOCAL_MACHIN\\Software]\n"
                                                        "\"Model\"=\"typo\"\n"
                                                        "[hkey_local_machine\\Software]\n"
                                                        "\"Model\"=\"machine modem\"\n",
                                                        root);
    EXPECT_THAT(Lines(problems), ElementsAre(4u));
    EXPECT_EQ(Data(root, "Software", "Model"), Sz("machine modem"));
    EXPECT_EQ(root.subKeys.size(), 1u);
}

TEST(RegFileTest, LaterLinesOverrideAndRemove)
{
    RegistryKeyNode root;
    EXPECT_THAT(ApplyRegFile("REGEDIT4\n"
                             "[HKEY_LOCAL_MACHINE\\A\\B\\C]\n"
                             "\"Keep\"=\"1\"\n"
                             "\"Gone\"=\"1\"\n"
                             "[HKEY_LOCAL_MACHINE\\a\\b]\n"
                             "\"KEEP\"=\"2\"\n"
                             "\"gone\"=-\n"
                             "[HKEY_LOCAL_MACHINE\\A\\D]\n"
                             "[-HKEY_LOCAL_MACHINE\\A\\D]\n",
                             root),
                IsEmpty());
    EXPECT_EQ(Data(root, "A\\B\\C", "Keep"), Sz("1"));
    EXPECT_EQ(Data(root, "A\\B", "Keep"), Sz("2"));
    EXPECT_EQ(Data(root, "A\\B", "Gone"), "<none>");
    EXPECT_EQ(platform::FindPath(root, "A\\D"), nullptr);
    ASSERT_EQ(root.subKeys.at("A")->subKeys.size(), 1u);
    // The first spelling of a key's name is the one kept.
    EXPECT_EQ(root.subKeys.at("a")->subKeys.begin()->first, "B");
}

TEST(RegFileTest, DwordHexAndContinuationLines)
{
    RegistryKeyNode root;
    std::string file = "Windows Registry Editor Version 5.00\n"
                       "[HKEY_LOCAL_MACHINE\\Values]\n"
                       "\"Dword\"=dword:0001e240\n"
                       "\"Short\"=DWORD:7\n"
                       "\"Binary\"=hex:41,54,00,\\\n"
                       "  5a\n"
                       "\"Expand\"=hex(2):43,00,4f,00,4d,00,\\\n"
                       "    33,00,\\\n"
                       "    00,00\n"
                       "\"Empty\"=hex(0):\n"
                       "\"Next\"=\"after\"\n"
                       // A "\\" on the last line of a value does not take in the next key.
                       "\"Dangling\"=hex:41,\\\n"
                       "[HKEY_LOCAL_MACHINE\\Later]\n"
                       "\"Kept\"=\"here\"\n";
    EXPECT_THAT(ApplyRegFile(file, root), IsEmpty());
    EXPECT_EQ(Data(root, "Values", "Dword"), std::string("\x40\xe2\x01\x00", 4));
    EXPECT_EQ(FindValue(root, "Values", "Dword")->type, platform::REG_DWORD);
    EXPECT_EQ(Data(root, "Values", "Short"), std::string("\x07\0\0\0", 4));
    EXPECT_EQ(Data(root, "Values", "Binary"), std::string("AT\0Z", 4));
    EXPECT_EQ(FindValue(root, "Values", "Binary")->type, platform::REG_BINARY);
    // Version 5 files hold text types as UTF-16; they come out as 8-bit text.
    EXPECT_EQ(Data(root, "Values", "Expand"), Sz("COM3"));
    EXPECT_EQ(FindValue(root, "Values", "Expand")->type, platform::REG_EXPAND_SZ);
    EXPECT_EQ(Data(root, "Values", "Empty"), "");
    EXPECT_EQ(Data(root, "Values", "Next"), Sz("after"));
    EXPECT_EQ(Data(root, "Values", "Dangling"), "A");
    EXPECT_EQ(Data(root, "Later", "Kept"), Sz("here"));

    RegistryKeyNode version4;
    EXPECT_THAT(
        ApplyRegFile("REGEDIT4\n[HKEY_LOCAL_MACHINE\\V]\n\"Text\"=hex(1):43,4f,4d,00\n", version4),
        IsEmpty());
    EXPECT_EQ(Data(version4, "V", "Text"), Sz("COM"));
}

TEST(RegFileTest, DecodesUtf16AndUtf8WithByteOrderMarks)
{
    std::u16string text = u"Windows Registry Editor Version 5.00\r\n"
                          u"[HKEY_LOCAL_MACHINE\\M\u00fc]\r\n"
                          u"\"Model\"=\"Modem \u00fc \U0001F4DE\"\r\n";
    RegistryKeyNode utf16;
    EXPECT_THAT(ApplyRegFile("\xFF\xFE" + ToUtf16Le(text), utf16), IsEmpty());
    EXPECT_EQ(Data(utf16, "M\xC3\xBC", "Model"), Sz("Modem \xC3\xBC \xF0\x9F\x93\x9E"));

    RegistryKeyNode utf8;
    EXPECT_THAT(
        ApplyRegFile("\xEF\xBB\xBFREGEDIT4\r[HKEY_LOCAL_MACHINE\\M]\r\"Model\"=\"x\"\r", utf8),
        IsEmpty());
    EXPECT_EQ(Data(utf8, "M", "Model"), Sz("x"));
}

TEST(RegFileTest, Utf16DecodingSurvivesBrokenInput)
{
    EXPECT_EQ(platform::Utf16LeToUtf8(ToUtf16Le(u"A\U0001F4DE")), "A\xF0\x9F\x93\x9E");
    // A lone high surrogate, a lone low surrogate, and an odd last byte.
    EXPECT_EQ(platform::Utf16LeToUtf8(std::string("\x00\xD8"
                                                  "A\x00"
                                                  "\x00\xDC"
                                                  "B",
                                                  7)),
              "\xEF\xBF\xBD"
              "A"
              "\xEF\xBF\xBD");
    EXPECT_EQ(platform::Utf16LeToUtf8(std::string("\x3D\xD8", 2)), "\xEF\xBF\xBD");
}

TEST(RegFileTest, MalformedLinesAreSkippedAndTheRestIsRead)
{
    RegistryKeyNode root;
    std::vector<RegFileProblem> problems =
        ApplyRegFile("REGEDIT4\n"
                     "\"Orphan\"=\"no key yet\"\n" // 2
                     "[HKEY_LOCAL_MACHINE\\Good]\n"
                     "; a comment\n"
                     "   \"Indented\"=\"yes\"\n"
                     "\"Unterminated=\"x\"\n"         // 6: the name runs to the data's quote
                     "\"Open\"=\"no end\n"            // 7
                     "\"Junk\"=\"a\" b\n"             // 8
                     "\"NoEquals\" \"a\"\n"           // 9
                     "\"Wide\"=dword:123456789\n"     // 10
                     "\"NotHex\"=dword:12g4\n"        // 11
                     "\"BadByte\"=hex:41,4g\n"        // 12
                     "\"LongByte\"=hex:414\n"         // 13
                     "\"BadType\"=hex(z):41\n"        // 14
                     "\"Unknown\"=word:1\n"           // 15
                     "garbage line\n"                 // 16
                     "[HKEY_LOCAL_MACHINE\\Broken\n"  // 17
                     "\"AfterBrokenKey\"=\"x\"\n"     // 18
                     "[HKEY_LOCAL_MACHINE\\A\\\\B]\n" // 19
                     "[HKEY_LOCAL_MACHINE\\]\n"       // 20
                     "[-HKEY_LOCAL_MACHINE]\n"        // 21
                     "[HKEY_LOCAL_MACHINE\\Good]\n"
                     "\"Last\"=\"read\"\n",
                     root);
    EXPECT_THAT(Lines(problems), ElementsAre(2u, 6u, 7u, 8u, 9u, 10u, 11u, 12u, 13u, 14u, 15u, 16u,
                                             17u, 18u, 19u, 20u, 21u));
    EXPECT_THAT(problems, testing::Each(Field(&RegFileProblem::reason, testing::Not(IsEmpty()))));
    EXPECT_EQ(Data(root, "Good", "Indented"), Sz("yes"));
    EXPECT_EQ(Data(root, "Good", "Last"), Sz("read"));
    EXPECT_EQ(root.subKeys.size(), 1u);
    EXPECT_EQ(root.subKeys.at("Good")->values.size(), 2u);
}

TEST(RegFileTest, HostileInputNeverCrashes)
{
    RegistryKeyNode root;
    // A continuation at the end of the file, a truncated UTF-16 file, a huge line.
    ApplyRegFile("REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"V\"=hex:41,\\", root);
    EXPECT_EQ(Data(root, "K", "V"), "A");
    ApplyRegFile("\xFF\xFE" + ToUtf16Le(u"REGEDIT4\n[HKEY_LOCAL_MACHINE\\U]\n\"V\"=\"x") + "\x22",
                 root);
    EXPECT_EQ(Data(root, "U", "V"), "<none>");
    std::string huge = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\H]\n\"V\"=\"" +
                       std::string(8 * 1024 * 1024, 'x') +
                       "\"\n\"W\"=hex:" + std::string(4 * 1024 * 1024, ',') + "\n";
    ApplyRegFile(huge, root);
    EXPECT_EQ(Data(root, "H", "V").size(), 8u * 1024 * 1024 + 1);

    // Every byte value, and random damage to a valid file.
    std::string everyByte = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\B]\n";
    for (int c = 0; c < 256; ++c)
        everyByte.push_back(static_cast<char>(c));
    ApplyRegFile(everyByte, root);

    std::mt19937 random(20240601);
    std::string valid = std::string(kModemFile) + "\"Bytes\"=hex(7):41,00,42,00,\\\n 00,00\n";
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = valid;
        int edits = 1 + static_cast<int>(random() % 8);
        for (int edit = 0; edit < edits; ++edit) {
            std::size_t at = random() % damaged.size();
            switch (random() % 3) {
            case 0:
                damaged[at] = static_cast<char>(random());
                break;
            case 1:
                damaged.erase(at, 1 + random() % 16);
                break;
            default:
                damaged.insert(at, 1, "[]\\\"=@:,;-\r\n\xFF\xFE"[random() % 15]);
            }
            if (damaged.empty())
                damaged = "R";
        }
        RegistryKeyNode fuzzed;
        ApplyRegFile(damaged, fuzzed);
        ApplyRegFile("\xFF\xFE" + damaged, fuzzed);
    }
}

TEST(RegFileTest, HostileFilesBuildABoundedTreeAndReport)
{
    auto keyPath = [](std::string_view first, std::size_t depth) {
        std::string path = "HKEY_LOCAL_MACHINE\\" + std::string(first);
        for (std::size_t level = 1; level < depth; ++level)
            path += "\\k";
        return path;
    };
    {
        // Trees are torn down and searched one level at a time, so depth is what they must bound.
        SCOPED_TRACE("a key path too deep");
        RegistryKeyNode root;
        std::string file = "REGEDIT4\n[" + keyPath("Deepest", platform::kMaxKeyDepth) + "]\n[" +
                           keyPath("TooDeep", 200'000) + "]\n\"V\"=\"x\"\n";
        EXPECT_THAT(Lines(ApplyRegFile(file, root)), ElementsAre(3u, 4u));
        EXPECT_NE(root.subKeys.find("Deepest"), root.subKeys.end());
        EXPECT_EQ(root.subKeys.find("TooDeep"), root.subKeys.end());
    }
    {
        SCOPED_TRACE("more keys and values than one file may add");
        RegistryKeyNode root;
        std::string file = "REGEDIT4\n";
        const std::size_t lines = platform::kMaxRegFileEntries / platform::kMaxKeyDepth + 1;
        for (std::size_t line = 0; line < lines; ++line)
            file += "[" + keyPath("K" + std::to_string(line), platform::kMaxKeyDepth) + "]\n";
        file += "[HKEY_LOCAL_MACHINE\\AfterTheLimit]\n";
        EXPECT_THAT(Lines(ApplyRegFile(file, root)), ElementsAre(lines + 1));
        EXPECT_EQ(root.subKeys.size(), lines - 1);
    }
    {
        SCOPED_TRACE("a problem on every line");
        RegistryKeyNode root;
        std::string file = "REGEDIT4\n";
        for (int line = 0; line < 1000; ++line)
            file += "junk\n";
        std::vector<RegFileProblem> problems = ApplyRegFile(file + "\n\n", root);
        ASSERT_EQ(problems.size(), platform::kMaxListedRegFileProblems + 1);
        EXPECT_EQ(problems[platform::kMaxListedRegFileProblems - 1].line,
                  platform::kMaxListedRegFileProblems + 1);
        EXPECT_EQ(problems.back().line, 0u);
        EXPECT_EQ(problems.back().reason, "900 more lines, not listed one by one");
    }
}

TEST(RegFileTest, FilesThatCannotBeReadChangeNothing)
{
    testsupport::TempFolder temp;
    const fs::path& folder = temp.path();
    RegistryKeyNode root;
    EXPECT_THAT(Lines(platform::ApplyRegFileAt(folder / "missing.reg", root)), ElementsAre(0u));
    EXPECT_THAT(Lines(platform::ApplyRegFileAt(folder, root)), ElementsAre(0u));

    fs::path large = folder / "large.reg";
    std::ofstream(large) << kModemFile;
    fs::resize_file(large, platform::kMaxRegFileSize + 1);
    EXPECT_THAT(Lines(platform::ApplyRegFileAt(large, root)), ElementsAre(0u));
    EXPECT_TRUE(root.subKeys.empty());

    fs::path good = folder / "good.reg";
    std::ofstream(good, std::ios::binary) << kModemFile;
    EXPECT_THAT(platform::ApplyRegFileAt(good, root), IsEmpty());
    EXPECT_EQ(Data(root, "SYSTEM\\Modems\\0000", "AttachedTo"), Sz("COM3"));
}
