#include "PhoneBookExport.h"

#include "EntryBuilder.h"
#include "ImportBook.h"
#include "MessageBox.h"
#include "PhoneBook.h"
#include "PhoneBookCsv.h"
#include "SaveFileDialog.h"
#include "support/FileSizeLimit.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using platform::MessageBoxRequest;
using platform::MessageIcon;
using testsupport::ReadFile;
using testsupport::TempFolder;
using testsupport::WriteFile;
using Outcome = PhoneBookExport::Outcome;
namespace fs = std::filesystem;

namespace {

const char* const kHeader = "Name,Home Phone,Work Phone,Cellphone,Fax,Beeper\r\n";

// Fields of CSV records as RFC 4180 reads them, enough to read back what the export writes.
// What a phone book shows of its entries: in menu order, each name and its five numbers.
std::vector<std::vector<std::string>> Texts(const std::vector<PhoneEntry>& entries)
{
    std::vector<std::vector<std::string>> texts;
    for (const PhoneEntry& entry : entries) {
        texts.push_back({entry.name});
        for (const PhoneKind& kind : PhoneKinds())
            texts.back().push_back(entry.*kind.number);
    }
    return texts;
}

std::vector<std::vector<std::string>> ReadCsv(const std::string& csv)
{
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < csv.size(); ++i) {
        const char c = csv[i];
        if (quoted && c == '"' && i + 1 < csv.size() && csv[i + 1] == '"') {
            field += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == ',') {
            record.push_back(std::move(field));
            field.clear();
        } else if (!quoted && c == '\r' && i + 1 < csv.size() && csv[i + 1] == '\n') {
            record.push_back(std::move(field));
            field.clear();
            records.push_back(std::move(record));
            record.clear();
            ++i;
        } else {
            field += c;
        }
    }
    EXPECT_TRUE(field.empty() && record.empty()) << "the last record ends with CR LF";
    return records;
}

class PhoneBookExportTest : public ::testing::Test
{
protected:
    fs::path Ini() const { return m_folder / "telmo.ini"; }
    fs::path Target() const { return m_folder / "out" / "telmo.csv"; }

    void Add(const PhoneEntry& entry) { ASSERT_FALSE(CPhoneBook(Ini()).SaveEntry({}, entry)); }

    // Runs the export, choosing the given file in the save question, or cancelling.
    Outcome Export(const std::optional<fs::path>& choice)
    {
        platform::ScopedSaveFileAnswers saveAnswers(
            [&](const platform::SaveFileRequest&) { return choice; });
        platform::ScopedMessageBoxAnswers messageAnswers;
        Outcome outcome = PhoneBookExport(Ini(), m_folder / "home").Run(nullptr);
        m_saveQuestions = saveAnswers.shown();
        m_messages = messageAnswers.shown();
        return outcome;
    }

    std::vector<std::string> FilesIn(const fs::path& folder) const
    {
        std::vector<std::string> names;
        for (const auto& item : fs::directory_iterator(folder))
            names.push_back(item.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    void SetUp() override { fs::create_directories(m_folder / "out"); }

    TempFolder m_folder;
    std::vector<platform::SaveFileRequest> m_saveQuestions;
    std::vector<MessageBoxRequest> m_messages;
};

} // namespace

TEST_F(PhoneBookExportTest, WritesTheLiveEntriesInMenuOrderAndSaysHowManyWentWhere)
{
    Add(Entry("Zoe", {"", "", "555 3"}));
    Add(Entry("Ann", {"555 1", "", "", "", "9"}));
    Add(Entry("Bob", {"", "555 2"}));
    CPhoneBook book(Ini());
    ASSERT_FALSE(book.DeleteEntry(book.LiveEntries()[1].section));
    Add(Entry("Carl, Jr.", {"", "", "", "555 \"4\""}));

    ASSERT_EQ(Export(Target()), Outcome::Exported);
    EXPECT_EQ(ReadFile(Target()), std::string(kHeader) + "Ann,555 1,,,,9\r\n"
                                                         "\"Carl, Jr.\",,,,\"555 \"\"4\"\"\",\r\n"
                                                         "Zoe,,,555 3,,\r\n");
    ASSERT_EQ(m_saveQuestions.size(), 1u);
    EXPECT_EQ(m_saveQuestions[0].initialPath, m_folder / "home" / "telmo.csv");
    EXPECT_EQ(m_saveQuestions[0].defaultSuffix, "csv");
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, "Exported 3 entries to " + Target().string() + ".");
    EXPECT_EQ(m_messages[0].caption, "Telmo Export");
    EXPECT_EQ(m_messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(FilesIn(m_folder / "out"), std::vector<std::string>{"telmo.csv"});
}

TEST_F(PhoneBookExportTest, AnEmptyPhoneBookIsToldAndNothingIsAskedOrWritten)
{
    ASSERT_EQ(Export(Target()), Outcome::NothingToExport) << "no telmo.ini at all";
    Add(Entry("Ann", {"1"}));
    CPhoneBook book(Ini());
    ASSERT_FALSE(book.DeleteEntry(book.LiveEntries()[0].section));
    ASSERT_EQ(Export(Target()), Outcome::NothingToExport) << "only deleted entries";

    EXPECT_TRUE(m_saveQuestions.empty());
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, "There are no entries to export in " + Ini().string() + ".");
    EXPECT_TRUE(FilesIn(m_folder / "out").empty());
}

TEST_F(PhoneBookExportTest, APhoneBookThatCannotBeReadIsNotTakenForAnEmptyOne)
{
    fs::create_directory(Ini());
    ASSERT_EQ(Export(Target()), Outcome::Failed);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, "Could not read the phone book " + Ini().string() + ": " +
                                      std::make_error_code(std::errc::is_a_directory).message() +
                                      ".");
    EXPECT_EQ(m_messages[0].icon, MessageIcon::Exclamation);
}

TEST_F(PhoneBookExportTest, AFileThatCannotBeWrittenIsNamedWithTheReasonAndNothingIsLeft)
{
    Add(Entry("Ann", {"1"}));
    const fs::path missingFolder = m_folder / "no-such-folder" / "telmo.csv";
    ASSERT_EQ(Export(missingFolder), Outcome::Failed);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text,
              "Could not write " + missingFolder.string() + ": " +
                  std::make_error_code(std::errc::no_such_file_or_directory).message() +
                  ".\n\nNo file was changed.");
    EXPECT_EQ(m_messages[0].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(fs::exists(missingFolder.parent_path()));

    // A disk that fills up halfway: the earlier file stays whole and no part file is left.
    WriteFile(Target(), "earlier export");
    {
        testsupport::ScopedFileSizeLimit limit(20);
        ASSERT_EQ(Export(Target()), Outcome::Failed);
    }
    EXPECT_NE(m_messages.at(0).text.find(Target().string() + ": " +
                                         std::make_error_code(std::errc::file_too_large).message()),
              std::string::npos);
    EXPECT_EQ(ReadFile(Target()), "earlier export");
    EXPECT_EQ(FilesIn(m_folder / "out"), std::vector<std::string>{"telmo.csv"});
}

TEST_F(PhoneBookExportTest, CancellingTheSaveQuestionWritesAndSaysNothing)
{
    Add(Entry("Ann", {"1"}));
    EXPECT_EQ(Export(std::nullopt), Outcome::Cancelled);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_TRUE(FilesIn(m_folder / "out").empty());
}

TEST_F(PhoneBookExportTest, ALinkChosenAsTargetKeepsPointingAtTheNewContent)
{
    Add(Entry("Ann", {"1"}));
    WriteFile(m_folder / "real.csv", "old");
    fs::create_symlink(m_folder / "real.csv", Target());
    ASSERT_EQ(Export(Target()), Outcome::Exported);
    EXPECT_TRUE(fs::is_symlink(Target()));
    EXPECT_EQ(ReadFile(m_folder / "real.csv"), std::string(kHeader) + "Ann,1,,,,\r\n");
}

TEST_F(PhoneBookExportTest, TextOfTheOriginalPlatformsCodePageBecomesUtf8)
{
    // Windows-1252: e acute, the euro sign, and 0x81, which that code page leaves unassigned.
    WriteFile(Ini(), "[General]\nCount=2\n"
                     "[Item0]\nName=Caf\xE9\nHomePhone=\x80 5\x81\nPos=0\nDeleted=0\n"
                     "[Item1]\nName=Zo\xC3\xAB\nHomePhone=7\nPos=1\nDeleted=0\n");
    ASSERT_EQ(Export(Target()), Outcome::Exported);
    EXPECT_EQ(ReadFile(Target()),
              std::string(kHeader) +
                  "Caf\xC3\xA9,\xE2\x82\xAC 5\xC2\x81,,,,\r\nZo\xC3\xAB,7,,,,\r\n")
        << "UTF-8 text passes unchanged beside it";
}

// Export, then import into an empty phone book the way the import wizard writes: the same
// entries come back, every byte of every name and number, in the same order.
TEST_F(PhoneBookExportTest, ReimportingTheExportGivesTheSameEntriesByteForByte)
{
    const std::vector<PhoneEntry> entries{
        Entry("Smith, John", {"+1 (555) 010-9999", "555,0100"}),
        Entry("\"Doc\" Brown", {"", "", "1955\"", "\"\""}),
        Entry("  Blanks  ", {"", " 12 ", "", "", "'9'"}),
        Entry("Line\rBreak", {"a\rb"}),
        Entry("J\xC3\xBCrgen \xE2\x98\x8E", {"", "", "", "\xF0\x9F\x93\xA0 1"}),
    };
    for (const PhoneEntry& entry : entries)
        Add(entry);
    ASSERT_EQ(Export(Target()), Outcome::Exported);

    const std::vector<std::vector<std::string>> records = ReadCsv(ReadFile(Target()));
    ASSERT_EQ(records.size(), entries.size() + 1);
    EXPECT_EQ(records[0], std::vector<std::string>(kExportColumns.begin(), kExportColumns.end()));

    const fs::path reimported = m_folder / "out" / "telmo.ini";
    ASSERT_FALSE(platform::ProfileFile(reimported).Update([&](platform::ProfileDocument& document) {
        ImportBook book(document);
        for (std::size_t i = 1; i < records.size(); ++i) {
            const std::vector<std::string>& r = records[i];
            ASSERT_EQ(r.size(), 6u);
            book.WriteEntry(r[0], r[1], r[2], r[3], r[4], r[5]);
        }
    }));
    EXPECT_EQ(Texts(CPhoneBook(reimported).LiveEntries()), Texts(CPhoneBook(Ini()).LiveEntries()));
}
