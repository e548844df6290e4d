// The reference driver of drivers/ over the in-memory display, whose refresh
// clock the tests advance field by field.

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "flipper_fixture.h"

namespace plexo {
namespace {

using Shown = platform::MemoryDisplay::Shown;

// Frame k's first eye is all 2k + 1, its second eye 2k + 2. A surface drawn
// into while it was still to be shown would show as a field of the wrong eye
// or of an earlier frame than the eye showed before.
void ExpectWholeEyesGoingForward(const std::vector<Shown>& shows, bool pairs)
{
    int frame[2] = {0, 0};
    for (size_t i = 0; i < shows.size(); ++i) {
        const int values[2] = {shows[i].leftValue, shows[i].rightValue};
        for (int v = 0; v < (pairs ? 2 : 1); ++v) {
            const int eye = pairs ? v : int(i % 2);
            EXPECT_EQ(values[v] % 2, eye == 0 ? 1 : 0) << "field " << i;
            EXPECT_GE((values[v] - 1) / 2, frame[eye]) << "field " << i << " went back";
            frame[eye] = (values[v] - 1) / 2;
        }
    }
}

class ReferenceDriver : public testing::Test {
protected:
    void Start()
    {
        fixture.flipper.Open();
        ASSERT_NE(fixture.flipper.driver(), nullptr);
        fixture.flipper.StartFlipping();
        ASSERT_EQ(fixture.flipper.count(), 3u);
    }
    // Frame k: its first eye all 2k + 1, its second 2k + 2. Status may wait
    // for a field, so with `clocked` the clock advances while the pair is
    // drawn on a thread of its own.
    void ShowFrame(int k, bool clocked = true)
    {
        std::vector<uint8_t> first(8 * 3 * 4, uint8_t(2 * k + 1)), second(first.size(), uint8_t(2 * k + 2));
        platform::BitmapInfoHeader header;
        header.width = 8;
        header.height = 4;
        std::atomic<bool> done{false};
        std::thread show([&] {
            fixture.flipper.ShowPair({0, 0, 8, 4}, header, first.data(), second.data());
            done = true;
        });
        while (clocked && !done)
            fixture.display->Advance(1);
        show.join();
    }
    // The fields shown so far. Read before stopping: once the clock runs
    // free, the fields shown while the chain is cleared for closing depend on
    // the threads' timing.
    std::vector<Shown> Stop()
    {
        std::vector<Shown> shows = fixture.display->shows();
        fixture.display->RunFree();
        fixture.flipper.Close();
        return shows;
    }

    test::FlipperFixture fixture{PLEXO_REFERENCE_DRIVER};
};

TEST_F(ReferenceDriver, AlternatesTheEyesOneAFieldFirstEyeFirstAndNeverDrawsIntoOneToBeShown)
{
    Start();
    EXPECT_STREQ(fixture.flipper.displayInfo().deviceName, "MEMORY-1");
    EXPECT_EQ(fixture.flipper.caps().caps1, K3V_CAPS1_ALTERNATES);
    fixture.display->Advance(3);
    EXPECT_TRUE(fixture.display->shows().empty()) << "nothing to show before the first pair";
    for (int k = 0; k < 12; ++k) {
        ShowFrame(k);
        fixture.display->Advance(uint64_t(k % 4));
    }
    fixture.display->Advance(4);
    const std::vector<Shown> shows = Stop();
    ASSERT_GE(shows.size(), 20u);
    ExpectWholeEyesGoingForward(shows, false);
    // The clock runs on while the first pair is drawn, and the driver shows
    // nothing between the first eye and the second (never an eye twice
    // running); from the second eye's first field on, every refresh has one.
    for (size_t i = 2; i < shows.size(); ++i)
        EXPECT_EQ(shows[i - 1].refresh + 1, shows[i].refresh) << "field " << i << " skipped a refresh";
    EXPECT_EQ(shows[shows.size() - 1].leftValue + shows[shows.size() - 2].leftValue, 23 + 24) << "the last frame";
}

TEST_F(ReferenceDriver, QuadBufferedShowsBothEyesInOneSwap)
{
    fixture.display->SetQuadBuffered(true);
    Start();
    EXPECT_EQ(fixture.flipper.caps().caps2, K3V_CAPS2_ONE_SWAP);
    for (int k = 0; k < 3; ++k)
        ShowFrame(k);
    fixture.display->Advance(2);
    const std::vector<Shown> shows = Stop();
    ASSERT_FALSE(shows.empty());
    ExpectWholeEyesGoingForward(shows, true);
    EXPECT_EQ(shows.back().leftValue, 5);
    EXPECT_EQ(shows.back().rightValue, 6);
}

// Where the blank cannot be waited for, and where the display hangs in the
// wait (each wait then ends after three refreshes and the display counts as
// one that cannot wait), the driver paces itself by the refresh rate, and
// closing ends without the clock ever moving; a latch holds the test until
// enough fields were shown.
class ReferenceDriverPacing : public ReferenceDriver, public testing::WithParamInterface<bool> {};

TEST_P(ReferenceDriverPacing, PacesByTheRefreshRateAndClosingEnds)
{
    if (GetParam())
        fixture.display->StopAnswering();
    else
        fixture.display->SetVerticalBlank(false);
    std::mutex mutex;
    std::condition_variable enough;
    size_t presents = 0;
    fixture.display->onPresent = [&](size_t n) {
        std::lock_guard lock(mutex);
        presents = n;
        enough.notify_all();
    };
    Start();
    ShowFrame(0, false);
    {
        std::unique_lock lock(mutex);
        enough.wait(lock, [&] { return presents >= 6; });
    }
    const std::vector<Shown> shows = fixture.display->shows();
    fixture.flipper.Close();
    EXPECT_EQ(fixture.flipper.driver(), nullptr);
    ASSERT_GE(shows.size(), 6u);
    for (size_t i = 0; i < shows.size(); ++i)
        EXPECT_EQ(shows[i].leftValue, i % 2 == 0 ? 1 : 2) << i;
}

INSTANTIATE_TEST_SUITE_P(CannotWaitOrHangs, ReferenceDriverPacing, testing::Bool());

}  // namespace
}  // namespace plexo
