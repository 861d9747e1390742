#include "TelephonyRequest.h"

#include "FakeOpener.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(TelUriTest, PercentEncodesWhatIsNotPartOfANumber)
{
    EXPECT_EQ(TelUri("5551234"), "tel:5551234");
    EXPECT_EQ(TelUri("+1 (555) 123-4567"), "tel:+1%20(555)%20123-4567");
    EXPECT_EQ(TelUri("*31#0.1"), "tel:*31%230.1");
    EXPECT_EQ(TelUri("9,555;ext=1/2%"), "tel:9%2C555%3Bext%3D1%2F2%25");
    EXPECT_EQ(TelUri(std::string("\n\xe9\0", 3)), "tel:%0A%E9%00");
}

TEST_F(FakeOpenerTest, ACallHandsTheTelUriOfTheNumberToTheOpener)
{
    InstallOpener();
    EXPECT_EQ(RequestMakeCall("555 1234#", "Telmo", "Ann", "Ann"), kTelephonyOk);
    EXPECT_EQ(WaitForArguments(), "tel:555%201234%23\n");
    // Bound once, the opener serves every later call.
    EXPECT_EQ(RequestMakeCall("911", "Telmo", "Bob", "Bob"), kTelephonyOk);
    EXPECT_EQ(WaitForArguments(), "tel:911\n");
}

TEST_F(FakeOpenerTest, AMissingOpenerFailsTheBindingOnceAndIsNotLookedForAgain)
{
    EXPECT_EQ(RequestMakeCall("5551234", "Telmo", "Ann", "Ann"), LINEERR_OPERATIONUNAVAIL);
    InstallOpener();
    EXPECT_EQ(RequestMakeCall("5551234", "Telmo", "Ann", "Ann"), TAPIERR_REQUESTFAILED);
    EXPECT_EQ(RequestMakeCall("5551234", "Telmo", "Ann", "Ann"), TAPIERR_REQUESTFAILED);
    EXPECT_FALSE(fs::exists(RecordPath()));

    ResetTelephonyBinding();
    EXPECT_EQ(RequestMakeCall("5551234", "Telmo", "Ann", "Ann"), kTelephonyOk);
    EXPECT_EQ(WaitForArguments(), "tel:5551234\n");
}

TEST_F(FakeOpenerTest, AnEmptyNumberOrAnOpenerThatCannotStartIsRefused)
{
    InstallOpener();
    EXPECT_EQ(RequestMakeCall("", "Telmo", "Ann", "Ann"), TAPIERR_INVALDESTADDRESS);
    // Bound to an opener that has gone since.
    fs::remove(OpenerPath());
    EXPECT_EQ(RequestMakeCall("5551234", "Telmo", "Ann", "Ann"), TAPIERR_NOREQUESTRECIPIENT);
    EXPECT_FALSE(fs::exists(RecordPath()));
}
