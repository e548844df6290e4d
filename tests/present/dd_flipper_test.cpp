#include "present/dd_flipper.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "fake_drivers/fake_driver.h"
#include "flipper_fixture.h"
#include "platform/log.h"

namespace plexo {
namespace {

using Calls = std::vector<std::string>;

class Flipping : public testing::Test {
protected:
    void SetUp() override
    {
        platform::ClearLog();
        fixture.flipper.Open();
        ASSERT_NE(fixture.flipper.driver(), nullptr);
        // Pinned, so that what the driver recorded outlives its release.
        pin_ = ::dlopen((test::FakeDriverFolder("full") + "/K3V_DD.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
        ASSERT_NE(pin_, nullptr);
        state_ = static_cast<FakeDriverState*>(::dlsym(pin_, "fake_driver_state"));
        fixture.display->ClearCalls();
    }
    void TearDown() override
    {
        if (pin_)
            ::dlclose(pin_);
    }
    int Count(int slot) const
    {
        return int(std::count_if(state_->events, state_->events + state_->count,
                                 [&](const auto& e) { return e.slot == slot; }));
    }

    test::FlipperFixture fixture{test::FakeDriverFolder("full")};
    void* pin_ = nullptr;
    FakeDriverState* state_ = nullptr;
};

TEST(FlipperOpen, ABadDeviceIdentifierFallsBackToTheDefaultDevice)
{
    test::FlipperFixture fixture(test::FakeDriverFolder("full"),
                                 "[SOFTWARE\\K3V\\FLIPPER\\KORVA\\0]\nDDrawKey=garbage\n");
    fixture.display->Script(platform::DDOp::CreateWithDevice, {K3V_DDERR_INVALIDPARAMS});
    fixture.flipper.Open();
    EXPECT_NE(fixture.flipper.directDraw(), nullptr);
    EXPECT_EQ(fixture.display->calls(), (Calls{"DirectDrawCreate(device)", "DirectDrawCreate"}));
}

// A flipper that goes while its driver runs stops the driver before the
// release unloads it.
TEST_F(Flipping, GoingWhileFlippingStopsTheDriverFirst)
{
    {
        DDFlipper flipper;
        flipper.Open();
        flipper.StartFlipping();
        ASSERT_EQ(Count(0), 1);
    }
    ASSERT_GT(state_->count, 0);
    EXPECT_EQ(state_->events[state_->count - 1].slot, 1);
}

// Start waits for each surface's clear; closing twice does the work once.
TEST_F(Flipping, StartAndCloseWorkTheChainInOrder)
{
    fixture.display->Script(platform::DDOp::GetBltStatus, {K3V_DDERR_WASSTILLDRAWING, K3V_DDERR_WASSTILLDRAWING});
    fixture.flipper.StartFlipping();
    EXPECT_EQ(fixture.display->calls(),
              (Calls{"CreateSurface", "EnumAttachedSurfaces 0", "GetCaps 1", "EnumAttachedSurfaces 1", "GetCaps 2",
                     "Blt 0", "GetBltStatus 0", "GetBltStatus 0", "GetBltStatus 0", "Blt 1", "GetBltStatus 1",
                     "Blt 2", "GetBltStatus 2"}));
    ASSERT_EQ(fixture.flipper.count(), 3u);
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(fixture.chainIndex(fixture.flipper.chainSurface(i)), int(i));
    EXPECT_EQ(state_->events[state_->count - 1].slot, 0);
    EXPECT_EQ(state_->events[state_->count - 1].surface, fixture.flipper.chainSurface(0));

    for (int close = 0; close < 2; ++close) {
        fixture.display->ClearCalls();
        fixture.flipper.Close();
        EXPECT_EQ(fixture.display->calls(), close ? Calls{} : (Calls{"IsLost 0", "Blt 0", "Blt 1", "Release 0"}));
    }
    EXPECT_EQ(Count(1), 1);
    // The mode stereo started in, its rate included.
    EXPECT_EQ(fixture.events, (Calls{"apply FAKE-1 24 64 48 75", "invalidate", "move 30 440"}));
    EXPECT_EQ(fixture.flipper.driver(), nullptr);
    EXPECT_TRUE(fixture.display->chain().empty());
}

TEST_F(Flipping, EveryChainFailureIsNamedOnceAndNothingIsDrawnAfter)
{
    const std::vector<uint8_t> pixels(4 * 3 * 2, 9);
    platform::BitmapInfoHeader header;
    header.width = 4;
    header.height = 2;
    // A code without a name, as the generic failure, is not logged.
    for (const auto& [code, log] : {std::pair{K3V_DDERR_NOFLIPHW, "\r\nDDERR_NOFLIPHW"},
                                    {K3V_DDERR_OUTOFVIDEOMEMORY, "\r\nDDERR_OUTOFVIDEOMEMORY"},
                                    {K3V_DDERR_GENERIC, ""}}) {
        platform::ClearLog();
        fixture.display->ClearCalls();
        fixture.display->Script(platform::DDOp::CreateSurface, {code});
        fixture.flipper.StartFlipping();
        fixture.flipper.ShowPair({0, 0, 4, 2}, header, pixels.data(), pixels.data());
        EXPECT_EQ(platform::LogText(), log) << std::hex << code;
        EXPECT_EQ(fixture.display->calls(), Calls{"CreateSurface"});
    }
    EXPECT_EQ(Count(0) + Count(6), 0);
}

struct PairCase {
    const char* name;
    std::vector<int> busy;  // chain places the driver reports shown
    uint32_t caps1, caps2;
    int firstInto, secondInto, presents;
};

class ShowPairTest : public Flipping, public testing::WithParamInterface<PairCase> {};

// The first eye's surface was lost and is restored before it is drawn into.
TEST_P(ShowPairTest, DrawsIntoFreeSurfacesAndNamesTheEyes)
{
    const PairCase& p = GetParam();
    state_->caps1 = p.caps1;
    state_->caps2 = p.caps2;
    // The capabilities are asked for while opening.
    fixture.flipper.Close();
    fixture.flipper.ReleaseDirectDraw();
    fixture.flipper.Open();
    fixture.flipper.StartFlipping();
    for (size_t i = 0; i < p.busy.size(); ++i)
        state_->busy[i] = fixture.flipper.chainSurface(uint32_t(p.busy[i]));
    state_->count = 0;
    fixture.display->chain()[size_t(p.firstInto)]->MarkLost();
    fixture.display->ClearCalls();

    // Two rows of 4 pixels, bottom row first: the bottom row is 1s, the top 2s.
    platform::BitmapInfoHeader header;
    header.width = 4;
    header.height = 2;
    std::vector<uint8_t> first(24, 1), second(24, 5);
    std::fill(first.begin() + 12, first.end(), 2);
    std::fill(second.begin() + 12, second.end(), 6);
    fixture.flipper.ShowPair({10, 5, 14, 7}, header, first.data(), second.data());

    std::vector<std::pair<int, uint32_t>> eyes;
    for (int i = 0; i < state_->count; ++i)
        if (state_->events[i].slot == 6)
            eyes.push_back({fixture.chainIndex(state_->events[i].surface), state_->events[i].value});
    EXPECT_EQ(eyes, (std::vector<std::pair<int, uint32_t>>{{p.firstInto, 1}, {p.secondInto, 0}}));
    EXPECT_EQ(Count(4), p.presents);
    const Calls calls = fixture.display->calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "Restore " + std::to_string(p.firstInto)), calls.end());
    const auto at = [&](int surface, int x, int y) {
        return fixture.display->chain()[size_t(surface)]->CopyPixels()[size_t(y * 64 + x) * 3];
    };
    if (p.firstInto != p.secondInto) {
        EXPECT_EQ(at(p.firstInto, 10, 5), 2);
    }
    EXPECT_EQ(at(p.secondInto, 10, 5), 6);
    EXPECT_EQ(at(p.secondInto, 13, 6), 5);
    EXPECT_EQ(at(p.secondInto, 14, 6) + at(p.secondInto, 10, 7), 0);
}

INSTANTIATE_TEST_SUITE_P(Busy, ShowPairTest,
                         testing::Values(PairCase{"AllFree", {}, 0, 0, 0, 0, 2},
                                         PairCase{"FirstShown", {0}, 0, 0, 1, 1, 2},
                                         PairCase{"AllBusy", {0, 1, 2}, 0, 0, 0, 1, 2},
                                         PairCase{"DriverAlternates", {0, 1}, K3V_CAPS1_ALTERNATES, 0, 2, 2, 1},
                                         PairCase{"OneSwap", {1, 2}, 0, K3V_CAPS2_ONE_SWAP, 0, 0, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Flipping, CopyToSecondCopiesTheRectangleOnly)
{
    fixture.flipper.StartFlipping();
    auto chain = fixture.display->chain();
    K3V_Pixels p;
    ASSERT_EQ(chain[0]->ops->Lock(chain[0], &p), K3V_DD_OK);
    std::fill(p.data, p.data + size_t(p.pitch) * size_t(p.height), 7);
    chain[0]->ops->Unlock(chain[0]);
    fixture.flipper.CopyToSecond({2, 3, 5, 4});
    const auto second = chain[1]->CopyPixels();
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(second[size_t(y * 64 + x) * 3], (x >= 2 && x < 5 && y == 3) ? 7 : 0) << x << "," << y;
}

}  // namespace
}  // namespace plexo
