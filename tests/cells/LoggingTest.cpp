// The logging stand-in and the library's one way of writing a message.
#include "cells/Log.h"
#include "support/LogCapture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace ZalvoTest {
namespace {

class LoggingLevels : public ::testing::Test {
protected:
    void TearDown() override { Logging::DisableAllLevels(); }
};

TEST_F(LoggingLevels, NothingIsEnabledAtStart) {
    Logging::DisableAllLevels();
    EXPECT_FALSE(Logging::HasLevel("zalvo.zalvoting", 20));
    EXPECT_FALSE(Logging::HasLevel("", 0));
}

TEST_F(LoggingLevels, LevelsBelongToTheirCategory) {
    Logging::EnableLevel("zalvo.zalvoting", 21);
    Logging::EnableLevel("other", 30);
    EXPECT_TRUE(Logging::HasLevel("zalvo.zalvoting", 21));
    EXPECT_FALSE(Logging::HasLevel("zalvo.zalvoting", 30));
    EXPECT_FALSE(Logging::HasLevel("other", 21));
    EXPECT_TRUE(Logging::HasLevel("other", 30));

    Logging::DisableLevel("zalvo.zalvoting", 21);
    EXPECT_FALSE(Logging::HasLevel("zalvo.zalvoting", 21));
    EXPECT_TRUE(Logging::HasLevel("other", 30));

    Logging::DisableAllLevels();
    EXPECT_FALSE(Logging::HasLevel("other", 30));
}

TEST(LogMessage, WritesOnlyWhenTheLevelIsOnAndBuildsNoTextOtherwise) {
    LogCapture log({21});
    int built = 0;
    const auto writer = [&built](std::ostream& out) {
        ++built;
        out << "line " << built << std::endl;
    };
    Zalvo::Detail::LogMessage(20, writer);
    Zalvo::Detail::LogMessage(21, writer);
    Logging::EnableLevel("zalvo.zalvoting", 20);
    Zalvo::Detail::LogMessage(20, writer);
    EXPECT_EQ(built, 2);
    EXPECT_EQ(log.Text(), "line 1\nline 2\n");
}

TEST(LogMessage, TheGuardKeepsMessagesOfThreadsApart) {
    LogCapture log({30});
    constexpr int threads = 4;
    constexpr int messages = 200;
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t)
        writers.emplace_back([t] {
            for (int m = 0; m < messages; ++m)
                Zalvo::Detail::LogMessage(30, [t](std::ostream& out) {
                    // Many small insertions per message, so interleaving
                    // would show without the guard.
                    out << "thread";
                    for (int part = 0; part < 8; ++part) out << ' ' << t;
                    out << std::endl;
                });
        });
    for (auto& writer : writers) writer.join();

    // Spelled out rather than as a regular expression: GoogleTest on Windows
    // knows only a simple dialect without groups or repetition counts.
    std::vector<std::string> wholeLines;
    for (int t = 0; t < threads; ++t) {
        std::string line = "thread";
        for (int part = 0; part < 8; ++part) line += {' ', static_cast<char>('0' + t)};
        wholeLines.push_back(line);
    }
    const std::vector<std::string> lines = log.Lines();
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(threads * messages));
    for (const std::string& line : lines) EXPECT_THAT(line, ::testing::AnyOfArray(wholeLines));
}

}  // namespace
}  // namespace ZalvoTest
