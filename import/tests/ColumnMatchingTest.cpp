#include "ColumnMatching.h"

#include "CsvFields.h"

#include <gtest/gtest.h>

namespace {

struct Proposal
{
    const char* header;
    ColumnChoice expected; // name, last name, home, work, cell, fax, beeper
};

// Header lines as mail and contact programs export them; each field takes the first column
// that holds one of its keywords, whatever that column holds.
TEST(ColumnMatchingTest, ProposalsForRealExportHeaders)
{
    const Proposal cases[] = {
        {"\"Title\",\"First Name\",\"Middle Name\",\"Last Name\",\"Suffix\",\"Company\","
         "\"Department\",\"Job Title\",\"Business Street\",\"Business City\",\"Home Street\","
         "\"Home City\",\"Business Fax\",\"Business Phone\",\"Business Phone 2\",\"Car Phone\","
         "\"Home Fax\",\"Home Phone\",\"Home Phone 2\",\"Mobile Phone\",\"Other Phone\","
         "\"Pager\",\"E-mail Address\",\"Notes\"",
         {1, 3, 10, -1, 19, 12, 21}},
        {"First Name,Last Name,Display Name,Nickname,Primary Email,Secondary Email,Screen Name,"
         "Work Phone,Home Phone,Fax Number,Pager Number,Mobile Number,Home Address,Home City,"
         "Work Address,Work City,Organization,Notes,",
         {0, 1, 8, 7, 11, 9, 10}},
        {"Name,Given Name,Additional Name,Family Name,Nickname,Birthday,Notes,Group Membership,"
         "E-mail 1 - Type,E-mail 1 - Value,Phone 1 - Type,Phone 1 - Value",
         {0, 3, -1, -1, -1, -1, -1}},
        {"First,Middle,Last,Nickname,Email,Category,Distribution Lists,Messenger ID,Home,Work,"
         "Pager,Fax,Mobile,Other,Yahoo Phone,Primary",
         {3, -1, 8, 9, 12, 11, 10}},
        {"Vorname,Nachname,Telefon privat,Telefon gesch\u00e4ftlich,Mobiltelefon,Fax privat,Pager",
         {0, -1, -1, -1, -1, 5, 6}},
        {"Last Name,First Name,Home Phone,Office,Mobile,Home Fax,Pager", {0, 0, 2, 3, 4, 5, 6}},
        {"NAME,MOBILE PHONE,family,wOrK,Private Line,Home Phone,Cellular", {0, 2, 4, 3, 1, -1, -1}},
        {"T\xC3\xA9l\xC3\xA9phone,Fa x,F,ax,Pr\xC3\xA9nom Name", {4, -1, -1, -1, -1, -1, -1}},
        {"Given,Called,Tel,E-mail,Street", {}},
        {"", {}},
    };
    for (const Proposal& c : cases) {
        SCOPED_TRACE(c.header);
        EXPECT_EQ(AutoMatchColumns(SplitHeader(c.header)), c.expected);
    }
}

} // namespace
