#include "platform/log.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace plexo::platform {
namespace {

TEST(Log, EveryMessageFollowsALineBreakUntilClearedAndTheSinkSeesTheTextItJoined)
{
    ClearLog();
    std::vector<std::string> seen;
    const LogSink previous = SetLogSink([&](const std::string& m) { seen.push_back(m + "|" + LogText()); });
    LogMessage("start");
    LogMessage(static_cast<const char*>(nullptr));
    LogMessage(std::string("a\r\nb"));
    EXPECT_EQ(seen, (std::vector<std::string>{"start|\r\nstart", "|\r\nstart\r\n", "a\r\nb|\r\nstart\r\n\r\na\r\nb"}));
    ClearLog();
    LogMessage("new");
    EXPECT_EQ(LogText(), "\r\nnew");

    // Messages from many threads reach the text and the sink in one order.
    ClearLog();
    std::string sunk;
    SetLogSink([&](const std::string& m) { sunk += "\r\n" + m; });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 500; ++i)
                LogMessage("thread " + std::to_string(t) + " message " + std::to_string(i));
        });
    for (auto& thread : threads)
        thread.join();
    SetLogSink(previous);
    EXPECT_EQ(LogText(), sunk);
    EXPECT_GT(sunk.size(), 2000u * 20);
    ClearLog();
}

}  // namespace
}  // namespace plexo::platform
