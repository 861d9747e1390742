#include "files/AtomicFile.h"
#include "files/LockedFile.h"
#include "files/ProfileFile.h"
#include "support/ChildProcess.h"
#include "support/FileSizeLimit.h"
#include "support/TempFolder.h"
#include "support/Utf16Text.h"

#include <climits>
#include <csignal>
#include <future>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <thread>

using namespace platform;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> FilesIn(const fs::path& folder)
{
    std::vector<std::string> files;
    for (const auto& item : fs::directory_iterator(folder))
        files.push_back(item.path().filename().string());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

TEST(ProfileDocumentTest, ReadsFilesAsTheOriginalPlatformDid)
{
    const ProfileDocument document = ProfileDocument::Parse(
        "; by hand\r\n[ general ]\r\n  COUNT = 3  \r\ncount=9\r\nno equals\r\n\r\n[General]\r\n"
        "TopPos=7\r\n[Item0]\r\nName=\"  Ann  \"\r\nWork='O''Neil'\r\nFax=\"mismatched'\r\n"
        "Empty=\r\n;Beeper=123\r\n[S]\na=  -42xyz\nb=+7\nc=abc\nd=99999999999999999999\n"
        "e=-99999999999999999999\nHome=555 1");
    const std::tuple<const char*, const char*, const char*, int> rows[] = {
        {"General", "Count", "3", 3},
        {"GENERAL", "TopPos", "?", -1},
        {"item0", "name", "  Ann  ", 0},
        {"Item0", "Work", "O''Neil", 0},
        {"Item0", "Fax", "\"mismatched'", 0},
        {"Item0", "Empty", "", 0},
        {"Item0", "Beeper", "?", -1},
        {"Item9", "Name", "?", -1},
        {"S", "a", "-42xyz", -42},
        {"S", "b", "+7", 7},
        {"S", "c", "abc", 0},
        {"S", "d", "99999999999999999999", INT_MAX},
        {"S", "e", "-99999999999999999999", INT_MIN},
        {"S", "Home", "555 1", 555}};
    for (const auto& [section, key, text, number] : rows) {
        SCOPED_TRACE(testing::Message() << section << '/' << key);
        EXPECT_EQ(document.ReadString(section, key, "?"), text);
        EXPECT_EQ(document.ReadInt(section, key, -1), number);
    }
}

TEST(ProfileDocumentTest, AWriteChangesOnlyItsKeyAndKeepsEveryOtherByte)
{
    const std::string original = "; c\r\n[General]\r\nCOUNT=1\r\n\r\n; t\r\n[B]\r\n[general]\r\n"
                                 "x=2\r\n[Item0]\r\nName=Ann";
    EXPECT_EQ(ProfileDocument::Parse(original).Serialize(), original);
    ProfileDocument document = ProfileDocument::Parse(original);
    document.WriteInt("general", "count", 2);
    document.WriteInt("General", "TopPos", 1);
    document.WriteString("B", "z", "first");
    document.WriteString("Modem", "Name", "ACME");
    EXPECT_EQ(document.Serialize(), "; c\r\n[General]\r\nCOUNT=2\r\nTopPos=1\r\n\r\n; t\r\n[B]\r\n"
                                    "z=first\r\n[general]\r\nx=2\r\n[Item0]\r\nName=Ann\r\n"
                                    "[Modem]\r\nName=ACME\r\n");

    // In files as other editors leave them, values read back as written, and a line break in
    // one cannot make a key or section of its own.
    for (const std::string& file :
         {std::string("[A]\nk=v\n"), std::string("\xEF\xBB\xBF[A]\r\nk=v\r\n"),
          std::string("[A]\nk=v\r"), Utf16(u"[A]\r\nk=v", false), Utf16(u"[A]\nk=v\n", true)}) {
        SCOPED_TRACE(testing::PrintToString(file));
        ProfileDocument edited = ProfileDocument::Parse(file);
        edited.WriteString("A", "q", " \"x\"  y'\t");
        edited.WriteString("B", "eve", "Eve\r\n[General]\nCount=99\rk=4");
        const std::string written = edited.Serialize();
        const ProfileDocument reread = ProfileDocument::Parse(written);
        EXPECT_EQ(reread.ReadString("A", "q", "?"), " \"x\"  y'\t");
        EXPECT_EQ(reread.ReadString("B", "eve", "?"), "Eve  [General] Count=99 k=4");
        EXPECT_EQ(reread.ReadString("A", "k", "?"), "v");
        EXPECT_EQ(reread.ReadInt("General", "Count", -1), -1);
        EXPECT_EQ(written.starts_with("\xEF\xBB\xBF"), file.starts_with("\xEF"));
    }
}

TEST(ProfileDocumentTest, AFileIsReadAndWrittenInItsOneEncoding)
{
    const std::string legacy = "[A]\nname=REN\xC9\xA0"
                               "DUPONT\nj=Jos\xE9\n"; // C9 A0 is UTF-8 too
    const std::string legacyAsUtf8 = "[A]\nname=REN\xC3\x89\xC2\xA0"
                                     "DUPONT\nj=Jos\xC3\xA9\n";
    const std::tuple<const char*, std::string, std::string, const char*, const char*, std::string>
        rows[] = {
            // the file, the name in it, a key and value written, the file then
            {"UTF-8", "[A]\nname=Ren\xC3\xA9\n", "René", "x", " Zoë ",
             "[A]\nname=Ren\xC3\xA9\nx=\" Zo\xC3\xAB \"\n"},
            {"Windows-1252", legacy, "RENÉ\u00A0DUPONT", "x", " Zoë ", legacy + "x=\" Zo\xEB \"\n"},
            {"text beyond Windows-1252", legacy, "RENÉ\u00A0DUPONT", "x", "Żak",
             legacyAsUtf8 + "x=\xC5\xBB"
                            "ak\n"},
            {"Windows-1252 losing its last byte that is no UTF-8", legacy, "RENÉ\u00A0DUPONT", "j",
             "Jose",
             "[A]\nname=REN\xC3\x89\xC2\xA0"
             "DUPONT\nj=Jose\n"},
            {"UTF-16LE", Utf16(u"[A]\r\nname=René\r\n", false), "René", "x", " Zoë ",
             Utf16(u"[A]\r\nname=René\r\nx=\" Zoë \"\r\n", false)},
            {"UTF-16BE", Utf16(u"[A]\nname=René\U0001F4DE\n", true), "René📞", "name", "Zoë",
             Utf16(u"[A]\nname=Zoë\n", true)},
            {"UTF-16 with units that are no character", Utf16(u"[A]\nname=\xDC00\n", false) + "!",
             "\uFFFD", "x", "1", Utf16(u"[A]\nname=\xDC00\nx=1\n", false) + "!"},
        };
    for (const auto& [what, file, name, key, value, written] : rows) {
        SCOPED_TRACE(what);
        ProfileDocument document = ProfileDocument::Parse(file);
        EXPECT_EQ(document.Serialize(), file);
        EXPECT_EQ(document.ReadString("A", "name", "?"), name);
        ASSERT_TRUE(document.WriteString("A", key, value));
        EXPECT_EQ(document.Serialize(), written);
        const ProfileDocument reread = ProfileDocument::Parse(written);
        EXPECT_EQ(reread.ReadString("A", key, "?"), value);
        EXPECT_EQ(reread.ReadString("A", "name", "?"), key == std::string("name") ? value : name);
    }
}

TEST(ProfileDocumentTest, NamesThatWouldMakeAnotherLineAreRefused)
{
    const std::tuple<const char*, const char*, bool> rows[] = {
        {"A]", "k", false},   {"A\n[B", "k", false}, {"A\r", "k", false}, {"A", "k=x", false},
        {"A", "k\nx", false}, {"A", " ;k", false},   {"A", "[k", false},  {"[A", "k", true},
        {"A", "k;[]", true},  {"", "", true},        {" A ", " k ", true}};
    for (const auto& [section, key, writable] : rows) {
        SCOPED_TRACE(testing::Message() << '[' << section << "] " << key);
        ProfileDocument document = ProfileDocument::Parse("[A]\nk=old\n");
        EXPECT_EQ(document.WriteString(section, key, "new"), writable);
        EXPECT_EQ(ProfileDocument::Parse(document.Serialize()).ReadString(section, key, "?"),
                  writable ? "new" : "?");
    }
}

TEST(ProfileFileTest, AWriteReplacesTheFileWholeAndLeavesOnlyTheFileAndItsLock)
{
    TempFolder folder;
    ProfileFile missing(folder / "telmo.ini");
    EXPECT_EQ(missing.ReadInt("General", "Count", 7), 7);
    EXPECT_FALSE(missing.Update([](ProfileDocument&) {}));
    EXPECT_FALSE(fs::exists(folder / "telmo.ini")) << "neither a read nor an empty change makes it";

    // Through a link, keeping the file's line breaks.
    fs::create_directory(folder / "data");
    WriteFile(folder / "data" / "real.ini", "[General]\r\nCount=0\r\n");
    fs::create_symlink("data/real.ini", folder / "telmo.ini");
    ASSERT_FALSE(ProfileFile(folder / "telmo.ini").Update([](ProfileDocument& document) {
        document.WriteInt("General", "Count", 1);
        document.WriteString("Item0", "Name", "Ann");
    }));
    EXPECT_TRUE(fs::is_symlink(folder / "telmo.ini"));
    EXPECT_EQ(ReadFile(folder / "data" / "real.ini"),
              "[General]\r\nCount=1\r\n[Item0]\r\nName=Ann\r\n");
    EXPECT_EQ(FilesIn(folder / "data"), (std::vector<std::string>{".real.ini.lock", "real.ini"}));
}

TEST(ProfileFileTest, AWriteThatCannotBeMadeIsReportedAndChangesNothing)
{
    TempFolder folder;
    const std::string original = "[General]\nCount=2\n";
    fs::create_directory(folder / "locked");
    for (const char* name : {"readonly.ini", "locked/telmo.ini"})
        WriteFile(folder / name, original);
    chmod((folder / "readonly.ini").c_str(), 0444);
    chmod((folder / "locked").c_str(), 0555);
    fs::create_directory(folder / "folder.ini"); // a folder where the file should be
    for (const char* name : {"readonly.ini", "locked/telmo.ini", "locked/new.ini",
                             "no-such-folder/telmo.ini", "folder.ini"}) {
        EXPECT_TRUE(ProfileFile(folder / name).WriteInt("General", "Count", 3)) << name;
    }
    EXPECT_FALSE(ProfileFile(folder / "readonly.ini").WriteInt("General", "Count", 2))
        << "a change that alters nothing succeeds";
    EXPECT_EQ(ProfileFile(folder / "new.ini").WriteString("Item0]\n[General", "Count", "9"),
              std::make_error_code(std::errc::invalid_argument));
    chmod((folder / "locked").c_str(), 0755);
    for (const char* name : {"readonly.ini", "locked/telmo.ini"})
        EXPECT_EQ(ReadFile(folder / name), original) << name;
    for (const char* name : {"locked/new.ini", "new.ini"})
        EXPECT_FALSE(fs::exists(folder / name)) << name;
    EXPECT_TRUE(fs::is_directory(folder / "folder.ini"));
    std::error_code readError;
    ProfileFile(folder / "folder.ini").Load(readError);
    EXPECT_TRUE(readError) << "the reader learns why the file reads as empty";
}

TEST(ProfileFileTest, TwoProcessesWritingAtOnceLoseNoKey)
{
    TempFolder folder;
    const fs::path path = folder / "telmo.ini";
    std::vector<ChildProcess> writers;
    for (const std::string prefix : {"a", "b"}) {
        writers.push_back(ChildProcess::Fork([&] {
            for (int i = 0; i < 500; ++i) {
                std::error_code error;
                // As a user would: a write the other writer kept waiting too long is tried again.
                while ((error = ProfileFile(path).WriteInt("Keys", prefix + std::to_string(i),
                                                           i)) == FileLockError::Held) {
                }
                if (error)
                    return 1;
            }
            return 0;
        }));
    }
    for (ChildProcess& writer : writers)
        EXPECT_EQ(ExitCode(writer.WaitForExit()), 0);
    const ProfileDocument document = ProfileFile(path).Load();
    for (int i = 0; i < 500; ++i)
        for (const std::string prefix : {"a", "b"})
            ASSERT_EQ(document.ReadInt("Keys", prefix + std::to_string(i), -1), i) << prefix << i;
}

TEST(ProfileFileTest, AWriteGivesUpWritingNothingWhileAnotherProgramKeepsTheLock)
{
    TempFolder folder;
    const fs::path path = folder / "telmo.ini";
    WriteFile(path, "[General]\nCount=2\n");
    {
        std::future<std::error_code> write; // outlives the lock, so that a write that waits ends
        const ChildProcess held = HoldFileLock(LockFileOf(path));
        write = std::async(std::launch::async,
                           [&] { return ProfileFile(path).WriteInt("General", "Count", 3); });
        ASSERT_EQ(write.wait_for(std::chrono::seconds(30)), std::future_status::ready)
            << "the write waits on";
        EXPECT_EQ(write.get(), FileLockError::Held);
        EXPECT_EQ(ReadFile(path), "[General]\nCount=2\n");
    }
    EXPECT_FALSE(ProfileFile(path).WriteInt("General", "Count", 3)) << "once the lock is free";
}

TEST(ProfileFileTest, AWriterKilledInTheMiddleOfAWriteLeavesAWholeFile)
{
    TempFolder folder;
    const fs::path path = folder / "telmo.ini";
    const int keys = 40;
    std::mt19937 random(12345);
    int killsDuringAWrite = 0;
    for (int attempt = 0; attempt < 1000 && killsDuringAWrite < 5; ++attempt) {
        ChildProcess writer = ChildProcess::Fork([&] {
            ProfileFile file(path);
            for (int round = 1;; ++round) {
                if (file.Update([&](ProfileDocument& document) {
                        for (int key = 0; key < keys; ++key)
                            document.WriteInt("Keys", "k" + std::to_string(key), round);
                    }))
                    return 1;
            }
        });
        // Not a wait for anything: the moment of the kill is chosen at random.
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        writer.Signal(SIGKILL);
        writer.WaitForExit();

        // Every write sets all keys to one round, so a whole file has one round everywhere
        // (or no key at all, when the writer died before its first write).
        const ProfileDocument document = ProfileFile(path).Load();
        const std::string round = document.ReadString("Keys", "k0", "none");
        for (int key = 1; key < keys; ++key)
            ASSERT_EQ(document.ReadString("Keys", "k" + std::to_string(key), "none"), round)
                << "attempt " << attempt;
        killsDuringAWrite += FilesIn(folder.path()).size() > 2;
    }
    ASSERT_EQ(killsDuringAWrite, 5) << "too few kills left a write unfinished";
    // The last kill left its temporary file; the next write clears it away.
    ASSERT_FALSE(ProfileFile(path).WriteString("Keys", "after", "1"));
    EXPECT_EQ(FilesIn(folder.path()), (std::vector<std::string>{".telmo.ini.lock", "telmo.ini"}));
}

TEST(AtomicFileTest, ReplacesTheWholeFileOrLeavesTheOldOneAndNoTemporary)
{
    TempFolder folder;
    const fs::path file = folder / "out.csv";
    ASSERT_FALSE(ReplaceFileAtomically(file, "first"));
    chmod(file.c_str(), 0640);
    ASSERT_FALSE(ReplaceFileAtomically(file, std::string("a\0b", 3)));
    EXPECT_EQ(ReadFile(file), std::string("a\0b", 3));
    struct stat status = {};
    EXPECT_EQ(stat(file.c_str(), &status) == 0 ? status.st_mode & 07777 : 0, 0640u);
    {
        ScopedFileSizeLimit limit(8);
        EXPECT_EQ(ReplaceFileAtomically(file, "more than eight bytes"), std::errc::file_too_large);
    }
    EXPECT_EQ(ReadFile(file), std::string("a\0b", 3));
    EXPECT_EQ(FilesIn(folder.path()), std::vector<std::string>{"out.csv"});
    EXPECT_EQ(ReplaceFileAtomically(folder / "no-such-folder" / "out.csv", "x"),
              std::errc::no_such_file_or_directory);
    EXPECT_EQ(FolderOf("telmo.ini"), fs::path("."));
}
