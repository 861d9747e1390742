#include "LockedWrite.h"

#include "LockedFile.h"
#include "MessageBox.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace platform;

TEST(LockedWriteTest, WhileAnotherProgramHoldsTheFileTheUserIsAskedWhetherToTryAgain)
{
    const std::error_code held = FileLockError::Held, ok;
    const std::error_code denied = std::make_error_code(std::errc::permission_denied);
    const struct
    {
        MessageResult answer;
        std::vector<std::error_code> writes;
        std::error_code result;
    } rows[] = {{MessageResult::Yes, {held, held, ok}, ok},
                {MessageResult::No, {held}, held},
                {MessageResult::Yes, {denied}, denied}};
    for (const auto& row : rows) {
        ScopedMessageBoxAnswers answers(row.answer);
        std::size_t written = 0;
        EXPECT_EQ(WriteAskingWhileHeld(nullptr, "/home/ann/telmo.ini",
                                       [&] { return row.writes.at(written++); }),
                  row.result);
        EXPECT_EQ(written, row.writes.size());
        ASSERT_EQ(answers.shown().size(), row.writes.size() - (row.result != held));
        for (const MessageBoxRequest& question : answers.shown())
            EXPECT_THAT(question.text, testing::HasSubstr("changing /home/ann/telmo.ini and keeps "
                                                          "it locked (/home/ann/.telmo.ini.lock)"));
    }
}
