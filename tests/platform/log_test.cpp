#include "platform/log.h"

#include <gtest/gtest.h>

#include <vector>

namespace plexo::platform {
namespace {

TEST(Log, EveryMessageFollowsALineBreakUntilClearedAndTheSinkSeesTheTextItJoined)
{
    ClearLog();
    std::vector<std::string> seen;
    const LogSink previous = SetLogSink([&](const std::string& m, LogLine) { seen.push_back(m + "|" + LogText()); });
    LogMessage("start");
    LogMessage(static_cast<const char*>(nullptr));
    LogMessage(std::string("a\r\nb"));
    EXPECT_EQ(seen, (std::vector<std::string>{"start|\r\nstart", "|\r\nstart\r\n", "a\r\nb|\r\nstart\r\n\r\na\r\nb"}));
    ClearLog();
    LogMessage("new");
    EXPECT_EQ(LogText(), "\r\nnew");
    SetLogSink(previous);
    ClearLog();
}

}  // namespace
}  // namespace plexo::platform
