// Exports as mail and contact programs write them: many columns, quoted fields holding commas
// and line breaks, byte-order marks and legacy code pages. The proposal is taken as it comes;
// where it is wrong the test corrects it on page 3, as a user would.
#include "PhoneBook.h"
#include "WizardDriver.h"

#include <QPushButton>
#include <QRadioButton>
#include <gmock/gmock.h>

using testing::ElementsAre;

namespace {

const PhoneEntry* Entry(const std::vector<PhoneEntry>& entries, const std::string& name)
{
    for (const PhoneEntry& entry : entries) {
        if (entry.name == name)
            return &entry;
    }
    ADD_FAILURE() << "no entry " << name;
    static const PhoneEntry none;
    return &none;
}

// Outlook writes every field quoted, lines end with CR LF, and the text is in the Windows
// code page.
const std::string kOutlook =
    "\"Title\",\"First Name\",\"Middle Name\",\"Last Name\",\"Suffix\",\"Company\","
    "\"Department\",\"Job Title\",\"Business Street\",\"Business City\",\"Home Street\","
    "\"Home City\",\"Business Fax\",\"Business Phone\",\"Business Phone 2\",\"Car Phone\","
    "\"Home Fax\",\"Home Phone\",\"Home Phone 2\",\"Mobile Phone\",\"Other Phone\",\"Pager\","
    "\"E-mail Address\",\"Notes\"\r\n"
    "\"\",\"J\xFCrgen\",\"\",\"M\xFCller\",\"\",\"Contoso, Ltd.\",\"Sales, North\",\"\","
    "\"1 Main St, Suite 5\",\"Springfield\",\"\",\"\",\"+1 555 0199\",\"+1 555 0100\",\"\","
    "\"\",\"\",\"+1 555 0111\",\"\",\"+1 555 0122\",\"\",\"\",\"jm@contoso.example\","
    "\"Met at the fair.\r\nCall after 5, not before.\"\r\n"
    "\"Dr.\",\"Ann\",\"B.\",\"O'Neil\",\"\",\"\",\"\",\"\",\"\",\"\",\"2 Elm St\","
    "\"Shelbyville\",\"\",\"\",\"\",\"\",\"\",\"+1 555 0211\",\"\",\"\",\"\",\"+1 555 0233\","
    "\"ann@example.org\",\"She said \"\"hi\"\"\"\r\n"
    "\"\",\"No\",\"\",\"Phone\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\","
    "\"\",\"\",\"\",\"\",\"\",\"\",\"nophone@example.org\",\"\"\r\n";

TEST_F(WizardTest, OutlookExportWithTheHomeAndWorkColumnsCorrectedByTheUser)
{
    GoToMatchFields(WriteSource(kOutlook, "outlook.csv"));
    ColumnChoice proposal;
    proposal.name = 1;     // First Name
    proposal.lastName = 3; // Last Name
    proposal.home = 10;    // Home Street: the first column that mentions "home"
    proposal.work = -1;    // nothing says "work" or "office"
    proposal.cell = 19;    // Mobile Phone
    proposal.fax = 12;     // Business Fax
    proposal.beeper = 21;  // Pager
    EXPECT_EQ(ShownColumns(), proposal);
    ChooseColumn("1004", 17); // Home Phone
    ChooseColumn("1005", 13); // Business Phone
    Next();
    EXPECT_THAT(ListedNames(), ElementsAre("Ann O'Neil", "J\xC3\xBCrgen M\xC3\xBCller"));
    Find<QPushButton>(CWizardSheet::kSelectNamesPage, "1013")->click();
    Finish();

    const std::vector<PhoneEntry> entries = LiveEntries();
    ASSERT_EQ(entries.size(), 2u);
    const PhoneEntry* juergen = Entry(entries, "J\xC3\xBCrgen M\xC3\xBCller");
    EXPECT_EQ(juergen->homePhone, "+1 555 0111");
    EXPECT_EQ(juergen->workPhone, "+1 555 0100");
    EXPECT_EQ(juergen->cellPhone, "+1 555 0122");
    EXPECT_EQ(juergen->fax, "+1 555 0199");
    EXPECT_EQ(juergen->beeper, "");
    const PhoneEntry* ann = Entry(entries, "Ann O'Neil");
    EXPECT_EQ(ann->homePhone, "+1 555 0211");
    EXPECT_EQ(ann->workPhone, "");
    EXPECT_EQ(ann->beeper, "+1 555 0233");
}

// Google Contacts: UTF-8 with a byte-order mark, one full-name column, and numbers in
// numbered "Phone n - Value" columns whose kind stands in the column before.
const std::string kGoogle =
    "\xEF\xBB\xBFName,Given Name,Additional Name,Family Name,Nickname,Birthday,Notes,"
    "Group Membership,E-mail 1 - Type,E-mail 1 - Value,Phone 1 - Type,Phone 1 - Value,"
    "Phone 2 - Type,Phone 2 - Value,Phone 3 - Type,Phone 3 - Value\n"
    "Zo\xC3\xAB Lee,Zo\xC3\xAB,,Lee,,,\"Lee, Zo\xC3\xAB: works nights\",* myContacts,* Home,"
    "zoe@example.com,Mobile,+44 7700 900123,Work,+44 20 7946 0018,Home,+44 20 7946 0999\n"
    "Bo Chen,Bo,,Chen,,1980-02-01,,* myContacts,,,Mobile,+1 555 0300 ::: +1 555 0301,,,,\n"
    "Only Mail,Only,,Mail,,,,* myContacts,* Other,only@example.com,,,,,,\n";

TEST_F(WizardTest, GoogleExportWithAByteOrderMarkReadAsFullNames)
{
    GoToMatchFields(WriteSource(kGoogle, "google.csv"));
    ColumnChoice proposal;
    proposal.name = 0;     // Name, despite the byte-order mark before it
    proposal.lastName = 3; // Family Name
    EXPECT_EQ(ShownColumns(), proposal);
    Find<QRadioButton>(CWizardSheet::kMatchFieldsPage, "1013")->click();
    ChooseColumn("1008", 11); // Phone 1 - Value holds the mobile numbers
    ChooseColumn("1005", 13);
    ChooseColumn("1004", 15);
    Next();
    EXPECT_THAT(ListedNames(), ElementsAre("Bo Chen", "Zo\xC3\xAB Lee"));
    SelectNames({"Zo\xC3\xAB Lee", "Bo Chen"});
    Finish();

    const std::vector<PhoneEntry> entries = LiveEntries();
    ASSERT_EQ(entries.size(), 2u);
    const PhoneEntry* zoe = Entry(entries, "Zo\xC3\xAB Lee");
    EXPECT_EQ(zoe->cellPhone, "+44 7700 900123");
    EXPECT_EQ(zoe->workPhone, "+44 20 7946 0018");
    EXPECT_EQ(zoe->homePhone, "+44 20 7946 0999");
    EXPECT_EQ(Entry(entries, "Bo Chen")->cellPhone, "+1 555 0300 ::: +1 555 0301");
}

// Thunderbird: plain fields quoted only where needed, a comma at the end of every line, and
// column names the proposal gets right without help.
const std::string kThunderbird =
    "First Name,Last Name,Display Name,Nickname,Primary Email,Secondary Email,Screen Name,"
    "Work Phone,Home Phone,Fax Number,Pager Number,Mobile Number,Home Address,Home City,"
    "Work Address,Work City,Organization,Notes,\n"
    "Eva,Novak,Eva Novak,,eva@example.net,,,+420 222 111 000,+420 222 333 444,,,"
    "+420 777 123 456,\"Na Prikope 1, Praha\",Praha,,,\"ACME, s.r.o.\",,\n"
    "Tom,,Tom,,tom@example.net,,,,,+1 555 0400,+1 555 0401,,,,,,,\"two\nlines\",\n";

TEST_F(WizardTest, ThunderbirdExportMatchesByItself)
{
    GoToMatchFields(WriteSource(kThunderbird, "thunderbird.csv"));
    ColumnChoice proposal;
    proposal.name = 0;
    proposal.lastName = 1;
    proposal.work = 7;
    proposal.home = 8;
    proposal.fax = 9;
    proposal.beeper = 10;
    proposal.cell = 11;
    EXPECT_EQ(ShownColumns(), proposal);
    Next();
    EXPECT_THAT(ListedNames(), ElementsAre("Eva Novak", "Tom"));
    Find<QPushButton>(CWizardSheet::kSelectNamesPage, "1013")->click();
    Finish();

    const std::vector<PhoneEntry> entries = LiveEntries();
    ASSERT_EQ(entries.size(), 2u);
    const PhoneEntry* eva = Entry(entries, "Eva Novak");
    EXPECT_EQ(eva->workPhone, "+420 222 111 000");
    EXPECT_EQ(eva->homePhone, "+420 222 333 444");
    EXPECT_EQ(eva->cellPhone, "+420 777 123 456");
    const PhoneEntry* tom = Entry(entries, "Tom");
    EXPECT_EQ(tom->fax, "+1 555 0400");
    EXPECT_EQ(tom->beeper, "+1 555 0401");
}

} // namespace
