#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/presentation_state.h"
#include "app/set_pnl.h"
#include "app/set_pnl_command.h"
#include "doc/document.h"
#include "support/fake_film.h"
#include "support/message_capture.h"

namespace plexo {
namespace {

using test::FakeFilm;

QPushButton* Button(SetPnl& dialog, const QString& text)
{
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

// A document with a film of `frames` frames and the given parameters, and the
// Settings command run on it with `answer` playing the user.
class SetPnlTest : public ::testing::Test {
protected:
    void LoadFilm(int frames)
    {
        doc.SetFilm(FakeFilm::WithFrames(frames));
        doc.film()->SetShift(doc.Shift);
        doc.film()->SetRound(doc.Round != 0);
        doc.film()->SetInvert(doc.Invert != 0);
    }

    bool Run(const std::function<void(SetPnl&)>& answer)
    {
        SettingsCommandHooks hooks;
        hooks.opened = [this](SetPnl&) { ++opened; };
        hooks.closed = [this] { ++closed; };
        hooks.run = [&answer](SetPnl& dialog) {
            dialog.show();
            answer(dialog);
            const int result = dialog.result();
            dialog.hide();
            return result;
        };
        return RunSettingsCommand(doc, state, hooks, nullptr);
    }

    CPlexoDoc doc;
    PresentationState state;
    test::MessageCapture messages;
    int opened = 0;
    int closed = 0;
    int repaints = 0;

    void SetUp() override
    {
        doc.Shift = -4;
        doc.Dist = 21;
        doc.Round = 1;
        doc.Invert = 0;
        doc.Alter = 0;
        doc.Step = 0;
        doc.side = 0;
        doc.repaint = [this] { ++repaints; };
        state.presentation = 1;
        state.framesPerSecond = 15.0;
    }
};

struct ASliderCase {
    int frames;
    int shift;
    int lowest, highest, position;
    int shiftAfterOk;  // what the film made of A
};

class SetPnlASlider : public SetPnlTest, public ::testing::WithParamInterface<ASliderCase> {};

TEST_P(SetPnlASlider, RangeFollowsTheFilmAndTheEditShowsA)
{
    const ASliderCase& c = GetParam();
    doc.Shift = c.shift;
    LoadFilm(c.frames);
    ASSERT_TRUE(Run([&](SetPnl& dialog) {
        EXPECT_EQ(dialog.aSlider()->minimum(), c.lowest);
        EXPECT_EQ(dialog.aSlider()->maximum(), c.highest);
        EXPECT_EQ(dialog.aSlider()->value(), c.position);
        EXPECT_EQ(dialog.aEdit()->text().toStdString(), std::to_string(c.shift));
        Button(dialog, "OK")->click();
    }));
    EXPECT_EQ(doc.film()->GetShift(), c.shiftAfterOk);
    EXPECT_EQ(doc.Shift, c.shiftAfterOk);
}

INSTANTIATE_TEST_SUITE_P(Films, SetPnlASlider,
                         ::testing::Values(ASliderCase{1, 0, 0, 0, 0, 0}, ASliderCase{100, -4, -20, 20, -4, -4},
                                           ASliderCase{100, 35, -20, 20, 20, 35},
                                           ASliderCase{3, -4, -2, 2, -2, -4}));

TEST_F(SetPnlTest, SlidersWriteAAndDIntoTheirEdits)
{
    LoadFilm(100);
    ASSERT_TRUE(Run([](SetPnl& dialog) {
        EXPECT_EQ(dialog.dSlider()->minimum(), 0);
        EXPECT_EQ(dialog.dSlider()->maximum(), 100);
        EXPECT_EQ(dialog.dSlider()->value(), 71);
        EXPECT_EQ(dialog.dEdit()->text(), "21");
        dialog.dSlider()->setValue(0);
        EXPECT_EQ(dialog.dEdit()->text(), "-50");
        dialog.dSlider()->setValue(100);
        EXPECT_EQ(dialog.dEdit()->text(), "50");
        dialog.aSlider()->setValue(7);
        EXPECT_EQ(dialog.aEdit()->text(), "7");
        Button(dialog, "OK")->click();
    }));
    EXPECT_EQ(doc.Dist, 50);
    EXPECT_EQ(doc.Shift, 7);
    EXPECT_EQ(repaints, 1);
}

struct PresentationCase {
    int before;
    std::vector<const char*> clicks;
    bool redBlue, interlaced;
    int after;
};

class SetPnlPresentation : public SetPnlTest, public ::testing::WithParamInterface<PresentationCase> {};

TEST_P(SetPnlPresentation, LastClickedBoxWins)
{
    const PresentationCase& c = GetParam();
    state.presentation = c.before;
    LoadFilm(5);
    ASSERT_TRUE(Run([&](SetPnl& dialog) {
        for (const char* box : c.clicks)
            (std::string(box) == "Red-Blue" ? dialog.redBlueBox() : dialog.interlacedBox())->click();
        EXPECT_EQ(dialog.redBlueBox()->isChecked(), c.redBlue);
        EXPECT_EQ(dialog.interlacedBox()->isChecked(), c.interlaced);
        Button(dialog, "OK")->click();
    }));
    EXPECT_EQ(state.presentation, c.after);
}

INSTANTIATE_TEST_SUITE_P(Clicks, SetPnlPresentation,
                         ::testing::Values(PresentationCase{1, {"Interlaced"}, false, true, 2},
                                           PresentationCase{2, {"Red-Blue"}, true, false, 1},
                                           PresentationCase{1, {"Red-Blue"}, false, false, 0},
                                           PresentationCase{0, {"Red-Blue", "Interlaced", "Red-Blue"}, true, false, 1},
                                           PresentationCase{7, {}, false, false, 0}));

TEST_F(SetPnlTest, StereoOnLocksThePresentationBoxes)
{
    state.stereo = true;
    state.presentation = 2;
    LoadFilm(5);
    ASSERT_TRUE(Run([](SetPnl& dialog) {
        EXPECT_FALSE(dialog.redBlueBox()->isEnabled());
        EXPECT_FALSE(dialog.interlacedBox()->isEnabled());
        EXPECT_FALSE(dialog.redBlueBox()->isChecked());
        EXPECT_TRUE(dialog.interlacedBox()->isChecked());
        Button(dialog, "OK")->click();
    }));
    EXPECT_EQ(state.presentation, 2);
}

TEST_F(SetPnlTest, CancelLeavesEveryValueButStillClosesAndRepaints)
{
    LoadFilm(10);
    doc.side = 2;
    ASSERT_TRUE(Run([](SetPnl& dialog) {
        dialog.aSlider()->setValue(3);
        dialog.dSlider()->setValue(10);
        dialog.roundBox()->click();
        dialog.invertBox()->click();
        dialog.interlacedBox()->click();
        dialog.alterList()->setCurrentIndex(1);
        dialog.stepList()->setCurrentIndex(3);
        dialog.sideList()->setCurrentIndex(0);
        dialog.framesPerSecondEdit()->setText("40");
        Button(dialog, "Cancel")->click();
    }));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(repaints, 0);
    EXPECT_EQ(doc.Shift, -4);
    EXPECT_EQ(doc.film()->GetShift(), -4);
    EXPECT_EQ(doc.Dist, 21);
    EXPECT_EQ(doc.Round, 1);
    EXPECT_TRUE(doc.film()->GetRound());
    EXPECT_EQ(doc.Invert, 0);
    EXPECT_EQ(doc.Alter, 0);
    EXPECT_EQ(doc.Step, 0);
    EXPECT_EQ(doc.side, 2);
    EXPECT_EQ(state.presentation, 1);
    EXPECT_EQ(state.framesPerSecond, 15.0);
}

TEST_F(SetPnlTest, OkWritesTheListsAndBoxesBack)
{
    LoadFilm(10);
    ASSERT_TRUE(Run([](SetPnl& dialog) {
        EXPECT_EQ(dialog.alterList()->currentText(), "Memory");
        EXPECT_EQ(dialog.stepList()->currentText(), "1 step");
        EXPECT_EQ(dialog.sideList()->currentText(), "add right");
        dialog.roundBox()->click();
        dialog.invertBox()->click();
        dialog.alterList()->setCurrentIndex(1);
        dialog.stepList()->setCurrentIndex(3);
        dialog.sideList()->setCurrentIndex(3);
        Button(dialog, "OK")->click();
    }));
    EXPECT_EQ(doc.Round, 0);
    EXPECT_FALSE(doc.film()->GetRound());
    EXPECT_EQ(doc.Invert, 1);
    EXPECT_TRUE(doc.film()->GetInvert());
    EXPECT_EQ(doc.Alter, 1);
    EXPECT_EQ(doc.Step, 3);
    EXPECT_EQ(doc.side, 3);
}

TEST_F(SetPnlTest, SideOutsideTheListIsKept)
{
    doc.side = 9;
    LoadFilm(4);
    ASSERT_TRUE(Run([](SetPnl& dialog) {
        EXPECT_EQ(dialog.sideList()->currentIndex(), -1);
        Button(dialog, "OK")->click();
    }));
    EXPECT_EQ(doc.side, 9);
}

TEST_F(SetPnlTest, FramesPerSecondMustBeANumber)
{
    state.framesPerSecond = 12.5;
    LoadFilm(4);
    ASSERT_TRUE(Run([this](SetPnl& dialog) {
        EXPECT_EQ(dialog.framesPerSecondEdit()->text(), "12.5");
        dialog.framesPerSecondEdit()->setText("fast");
        Button(dialog, "OK")->click();
        EXPECT_EQ(messages.messages, std::vector<std::string>{"Please enter a number."});
        EXPECT_EQ(dialog.result(), 0);
        EXPECT_TRUE(dialog.isVisible());

        // A slider move shows the message too but still moves D.
        dialog.dSlider()->setValue(60);
        EXPECT_EQ(messages.messages.size(), 2u);
        EXPECT_EQ(dialog.dEdit()->text(), "10");

        dialog.framesPerSecondEdit()->setText(" 24 ");
        Button(dialog, "OK")->click();
    }));
    EXPECT_EQ(state.framesPerSecond, 24.0);
    EXPECT_EQ(doc.Dist, 10);
}

TEST_F(SetPnlTest, WholeFramesPerSecondShowsWithoutDecimals)
{
    LoadFilm(4);
    ASSERT_TRUE(Run([](SetPnl& dialog) {
        EXPECT_EQ(dialog.framesPerSecondEdit()->text(), "15");
        Button(dialog, "Cancel")->click();
    }));
}

TEST_F(SetPnlTest, NothingIsShownWhilePlayingOrWithoutFilm)
{
    bool shown = false;
    EXPECT_FALSE(Run([&](SetPnl&) { shown = true; }));
    LoadFilm(4);
    state.playing = true;
    EXPECT_FALSE(Run([&](SetPnl&) { shown = true; }));
    EXPECT_FALSE(shown);
    EXPECT_EQ(opened + closed + repaints, 0);
}

}  // namespace
}  // namespace plexo
