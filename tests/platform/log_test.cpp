#include "platform/log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace plexo::platform {
namespace {

class Log : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearLog();
        previous_ = SetLogSink([this](const std::string& m) { seen.push_back(m); });
    }
    void TearDown() override
    {
        SetLogSink(previous_);
        ClearLog();
    }
    std::vector<std::string> seen;

private:
    LogSink previous_;
};

TEST_F(Log, EveryMessageFollowsALineBreak)
{
    LogMessage("start");
    EXPECT_EQ(LogText(), "\r\nstart");
    LogMessage(std::string("OK"));
    EXPECT_EQ(LogText(), "\r\nstart\r\nOK");
    EXPECT_EQ(seen, (std::vector<std::string>{"start", "OK"}));
}

TEST_F(Log, NullAndEmptyMessagesAddAnEmptyLineAndBreaksInsideAreKept)
{
    LogMessage(static_cast<const char*>(nullptr));
    LogMessage("");
    LogMessage("a\r\nb");
    EXPECT_EQ(LogText(), "\r\n\r\n\r\na\r\nb");
    EXPECT_EQ(seen, (std::vector<std::string>{"", "", "a\r\nb"}));
}

TEST_F(Log, ClearingForgetsEverythingBefore)
{
    LogMessage("old");
    ClearLog();
    EXPECT_EQ(LogText(), "");
    LogMessage("new");
    EXPECT_EQ(LogText(), "\r\nnew");
}

TEST_F(Log, SinkMayReadTheTextItIsToldAbout)
{
    std::string textInSink;
    SetLogSink([&](const std::string&) { textInSink = LogText(); });
    LogMessage("x");
    EXPECT_EQ(textInSink, "\r\nx");
}

TEST_F(Log, MessagesFromManyThreadsArriveWholeAndInTheSameOrderAsTheText)
{
    constexpr int kThreads = 4, kEach = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kEach; ++i)
                LogMessage("t" + std::to_string(t) + "-" + std::to_string(i));
        });
    for (auto& th : threads)
        th.join();
    ASSERT_EQ(seen.size(), size_t(kThreads * kEach));
    std::string expected;
    for (const auto& m : seen)
        expected += "\r\n" + m;
    EXPECT_EQ(LogText(), expected);
    for (int t = 0; t < kThreads; ++t) {
        std::vector<int> order;
        for (const auto& m : seen)
            if (m.rfind("t" + std::to_string(t) + "-", 0) == 0)
                order.push_back(std::stoi(m.substr(m.find('-') + 1)));
        EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
        EXPECT_EQ(order.size(), size_t(kEach));
    }
}

}  // namespace
}  // namespace plexo::platform
