#include "PhoneBookExport.h"

#include "ColumnMatching.h"
#include "CsvSource.h"
#include "CsvWriter.h"
#include "NameSelection.h"
#include "PhoneBook.h"
#include "qt/MessageBox.h"
#include "qt/SaveFileDialog.h"
#include "support/TelmoIni.h"
#include "support/TempFolder.h"

#include <cstring>
#include <gtest/gtest.h>

using Outcome = PhoneBookExport::Outcome;
using Texts = std::vector<std::array<std::string, 6>>; // a name and its five numbers
namespace fs = std::filesystem;

namespace {

const std::string kHeader = "Name,Home Phone,Work Phone,Cellphone,Fax,Beeper\r\n";

TEST(CsvWriterTest, FieldsInRecordBytesOut)
{
    const std::string bytes("\0\x7F\xFF", 3);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"Ann", " 555 123 ", ""}, "Ann, 555 123 ,\r\n"},
        {{"Smith, John", "1"}, "\"Smith, John\",1\r\n"},
        {{"Say \"hi\"", "\""}, "\"Say \"\"hi\"\"\",\"\"\"\"\r\n"},
        {{"a\nb", "c\rd", "e\r\nf"}, "\"a\nb\",\"c\rd\",\"e\r\nf\"\r\n"},
        {{"'single'", "semi;colon"}, "'single',semi;colon\r\n"},
        {{""}, "\"\"\r\n"}, // not a blank line, which a reader would skip
        {{"", ""}, ",\r\n"},
        {{"Zo\xC3\xAB \xF0\x9F\x93\x9E", bytes}, "Zo\xC3\xAB \xF0\x9F\x93\x9E," + bytes + "\r\n"},
    };
    for (const auto& [fields, expected] : cases) {
        std::string csv;
        AppendCsvRecord(csv, fields);
        EXPECT_EQ(csv, expected) << fields.front();
    }
}

class PhoneBookExportTest : public ::testing::Test
{
protected:
    void Add(const std::array<std::string, 6>& texts) const
    {
        PhoneEntry entry;
        entry.name = texts[0];
        for (std::size_t kind = 0; kind < 5; ++kind)
            entry.*PhoneKinds()[kind].number = texts[kind + 1];
        ASSERT_FALSE(CPhoneBook(m_ini).SaveEntry({}, entry));
    }
    // Runs the export, choosing the given file in the save question, or cancelling.
    Outcome Export(const std::optional<fs::path>& choice)
    {
        platform::ScopedSaveFileAnswers saveAnswers([&](const auto&) { return choice; });
        platform::ScopedMessageBoxAnswers messageAnswers;
        const Outcome outcome = PhoneBookExport(m_ini, m_folder / "home").Run(nullptr);
        m_saveQuestions = saveAnswers.shown();
        m_messages = messageAnswers.shown();
        return outcome;
    }

    testsupport::TempFolder m_folder;
    fs::path m_ini = m_folder / "telmo.ini";
    fs::path m_target = m_folder / "telmo.csv";
    std::vector<platform::SaveFileRequest> m_saveQuestions;
    std::vector<platform::MessageBoxRequest> m_messages;
};

TEST_F(PhoneBookExportTest, WritesTheLiveEntriesInMenuOrderAndSaysHowManyWentWhere)
{
    // A book in Windows-1252 from the original platform (e acute, the euro sign, and 0x81, which
    // that code page leaves unassigned) gives UTF-8 text.
    testsupport::WriteFile(m_ini, testsupport::TelmoIni()
                                      .General(3, 1)
                                      .Item(0, "Caf\xE9", {"\x80 5\x81"}, 0)
                                      .Item(1, "Old", {"1"}, 0, 1)
                                      .Item(2, "Zo\xEB", {"", "", "555 \"3\"", "", "9"}, 1));
    Add({"Ann, Jr.", "", "555 1"});
    // The chosen file is a link, which keeps pointing at the new content.
    const fs::path link = m_folder / "out" / "link.csv";
    fs::create_directory(m_folder / "out");
    fs::create_symlink(m_folder / "out" / "real.csv", link);
    ASSERT_EQ(Export(link), Outcome::Exported);
    EXPECT_EQ(testsupport::ReadFile(m_folder / "out" / "real.csv"),
              kHeader + "\"Ann, Jr.\",,555 1,,,\r\nCaf\xC3\xA9,\xE2\x82\xAC 5\xC2\x81,,,,\r\n"
                        "Zo\xC3\xAB,,,\"555 \"\"3\"\"\",,9\r\n");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder / "out"), {}), 2) << "nothing left";
    EXPECT_EQ(m_saveQuestions.at(0).initialPath, m_folder / "home" / "telmo.csv");
    EXPECT_EQ(m_saveQuestions.at(0).defaultSuffix, "csv");
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, "Exported 3 entries to " + link.string() + ".");
    EXPECT_EQ(m_messages[0].caption, "Telmo Export");
    EXPECT_EQ(m_messages[0].icon, platform::MessageIcon::Information);
}

TEST_F(PhoneBookExportTest, NothingToExportCancelledOrFailedWritesNothingAndSaysWhy)
{
    ASSERT_EQ(Export(m_target), Outcome::NothingToExport) << "no telmo.ini at all";
    testsupport::WriteFile(m_ini, testsupport::TelmoIni().General(1).Item(0, "Ann", {"1"}, 0, 1));
    ASSERT_EQ(Export(m_target), Outcome::NothingToExport) << "only deleted entries";
    EXPECT_TRUE(m_saveQuestions.empty());
    EXPECT_EQ(m_messages.at(0).text, "There are no entries to export in " + m_ini.string() + ".");
    Add({"Bob", "2"});
    EXPECT_EQ(Export(std::nullopt), Outcome::Cancelled);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_FALSE(fs::exists(m_target));

    // What cannot be read or written is named with the reason.
    fs::remove(m_ini);
    fs::create_directory(m_ini);
    ASSERT_EQ(Export(m_target), Outcome::Failed) << "not taken for an empty phone book";
    EXPECT_EQ(m_messages.at(0).text, "Could not read the phone book " + m_ini.string() + ": " +
                                         std::strerror(EISDIR) + ".");
    EXPECT_EQ(m_messages[0].icon, platform::MessageIcon::Exclamation);
    fs::remove(m_ini);
    Add({"Ann", "1"});
    const fs::path missingFolder = m_folder / "no-such-folder" / "telmo.csv";
    ASSERT_EQ(Export(missingFolder), Outcome::Failed);
    EXPECT_EQ(m_messages.at(0).text, "Could not write " + missingFolder.string() + ": " +
                                         std::strerror(ENOENT) + ".\n\nNo file was changed.");
    EXPECT_EQ(m_messages[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_FALSE(fs::exists(missingFolder.parent_path()));
}

// The import reads the export back as it reads any file: its columns proposed by themselves,
// every byte of every name and number the same, in the same order. An entry without any number
// is in the file but not offered, as the import lists only rows that have a number.
TEST_F(PhoneBookExportTest, TheImportReadsBackEveryEntryThatHasANumber)
{
    const Texts withNumbers{
        {"  Blanks  ", "", " 12 ", "", "", "'9'"},
        {"\"Doc\" Brown", "", "", "1955\"", "\"\""},
        {"J\xC3\xBCrgen \xE2\x98\x8E", "", "", "", "\xF0\x9F\x93\xA0 1"},
        {"Smith, John", "+1 (555) 010-9999", "555,0100"},
    };
    for (const auto& texts : withNumbers)
        Add(texts);
    Add({"No Number"});
    ASSERT_EQ(Export(m_target), Outcome::Exported);

    CsvSource source;
    ASSERT_TRUE(source.Open(m_target.string()));
    const ColumnChoice columns = AutoMatchColumns(SplitHeader(source.Header()));
    const ListedRows listed = ListRows(source, columns);
    std::vector<ListedRow> all;
    for (std::size_t i = 0; i < listed.Size(); ++i)
        all.push_back(listed.Row(i));
    ASSERT_TRUE(source.Open(m_target.string()));
    const std::vector<SourceRow> rows = ReadChosenRows(source, columns, all).value();
    Texts read;
    for (const SourceRow& row : rows)
        read.push_back({row.ComposedName(), row.home, row.work, row.cell, row.fax, row.beeper});
    EXPECT_EQ(read, withNumbers);
}

} // namespace
