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

void Click(SetPnl& dialog, const QString& text)
{
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == text)
            return button->click();
    ADD_FAILURE() << "no button " << text.toStdString();
}

// A document with a film and stored parameters, and the Settings command run
// on it with `answer` playing the user.
class SetPnlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        doc.Shift = -4;
        doc.Dist = 21;
        doc.Round = 1;
        doc.Invert = 0;
        doc.Alter = 0;
        doc.Step = 0;
        doc.side = 2;
        doc.repaint = [this] { ++repaints; };
        state.presentation = 1;
        state.framesPerSecond = 12.5;
    }

    void LoadFilm(int frames)
    {
        doc.SetFilm(FakeFilm::WithFrames(frames));
        doc.film()->SetShift(doc.Shift);
        doc.film()->SetRound(doc.Round != 0);
    }

    void Run(const std::function<void(SetPnl&)>& answer)
    {
        SettingsCommandHooks hooks;
        hooks.closed = [this] { ++closed; };
        hooks.run = [&answer](SetPnl& dialog) {
            dialog.show();
            answer(dialog);
            dialog.hide();
            return dialog.result();
        };
        ASSERT_TRUE(RunSettingsCommand(doc, state, hooks, nullptr));
    }

    CPlexoDoc doc;
    PresentationState state;
    test::MessageCapture messages;
    int closed = 0;
    int repaints = 0;
};

struct ASliderCase {
    int frames;
    int shift;
    int lowest, highest, position;
};

class SetPnlASlider : public SetPnlTest, public ::testing::WithParamInterface<ASliderCase> {};

TEST_P(SetPnlASlider, RangeFollowsTheFilmAndOkKeepsTheShiftTheEditShows)
{
    const ASliderCase& c = GetParam();
    doc.Shift = c.shift;
    LoadFilm(c.frames);
    Run([&](SetPnl& dialog) {
        EXPECT_EQ(dialog.aSlider()->minimum(), c.lowest);
        EXPECT_EQ(dialog.aSlider()->maximum(), c.highest);
        EXPECT_EQ(dialog.aSlider()->value(), c.position);
        EXPECT_EQ(dialog.aEdit()->text().toStdString(), std::to_string(c.shift));
        Click(dialog, "OK");
    });
    EXPECT_EQ(doc.film()->GetShift(), c.shift);
    EXPECT_EQ(doc.Shift, c.shift);
}

INSTANTIATE_TEST_SUITE_P(Films, SetPnlASlider,
                         ::testing::Values(ASliderCase{1, 0, 0, 0, 0}, ASliderCase{100, -4, -20, 20, -4},
                                           ASliderCase{100, 35, -20, 20, 20}, ASliderCase{3, -4, -2, 2, -2}));

struct PresentationCase {
    int before;
    std::vector<const char*> clicks;
    bool stereo;
    bool redBlue, interlaced;
    int after;
};

class SetPnlPresentation : public SetPnlTest, public ::testing::WithParamInterface<PresentationCase> {};

TEST_P(SetPnlPresentation, LastClickedBoxWinsUnlessStereoLocksThem)
{
    const PresentationCase& c = GetParam();
    state.presentation = c.before;
    state.stereo = c.stereo;
    LoadFilm(5);
    Run([&](SetPnl& dialog) {
        EXPECT_EQ(dialog.redBlueBox()->isEnabled(), !c.stereo);
        EXPECT_EQ(dialog.interlacedBox()->isEnabled(), !c.stereo);
        for (const char* box : c.clicks)
            (std::string(box) == "Red-Blue" ? dialog.redBlueBox() : dialog.interlacedBox())->click();
        EXPECT_EQ(dialog.redBlueBox()->isChecked(), c.redBlue);
        EXPECT_EQ(dialog.interlacedBox()->isChecked(), c.interlaced);
        Click(dialog, "OK");
    });
    EXPECT_EQ(state.presentation, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, SetPnlPresentation,
    ::testing::Values(PresentationCase{1, {"Interlaced"}, false, false, true, 2},
                      PresentationCase{2, {"Red-Blue"}, false, true, false, 1},
                      PresentationCase{1, {"Red-Blue"}, false, false, false, 0},
                      PresentationCase{0, {"Red-Blue", "Interlaced", "Red-Blue"}, false, true, false, 1},
                      PresentationCase{7, {}, false, false, false, 0},
                      PresentationCase{2, {"Red-Blue"}, true, false, true, 2}));

// Every control changed, then OK writes all of it back and repaints, while
// Cancel leaves every value as it was; both close the dialog.
class SetPnlEnd : public SetPnlTest, public ::testing::WithParamInterface<bool> {};

TEST_P(SetPnlEnd, OkWritesEveryControlBackAndCancelNone)
{
    const bool ok = GetParam();
    LoadFilm(100);
    Run([ok](SetPnl& dialog) {
        EXPECT_EQ(dialog.dSlider()->value(), 71);
        EXPECT_EQ(dialog.framesPerSecondEdit()->text(), "12.5");
        dialog.dSlider()->setValue(0);
        EXPECT_EQ(dialog.dEdit()->text(), "-50");
        dialog.dSlider()->setValue(100);
        EXPECT_EQ(dialog.dEdit()->text(), "50");
        dialog.aSlider()->setValue(7);
        EXPECT_EQ(dialog.aEdit()->text(), "7");
        dialog.roundBox()->click();
        dialog.invertBox()->click();
        dialog.interlacedBox()->click();
        dialog.alterList()->setCurrentIndex(1);
        dialog.stepList()->setCurrentIndex(3);
        dialog.sideList()->setCurrentIndex(3);
        dialog.framesPerSecondEdit()->setText("40");
        Click(dialog, ok ? "OK" : "Cancel");
    });
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(repaints, ok ? 1 : 0);
    EXPECT_EQ(doc.Dist, ok ? 50 : 21);
    EXPECT_EQ(doc.Shift, ok ? 7 : -4);
    EXPECT_EQ(doc.film()->GetShift(), ok ? 7 : -4);
    EXPECT_EQ(doc.Round, ok ? 0 : 1);
    EXPECT_EQ(doc.film()->GetRound(), !ok);
    EXPECT_EQ(doc.Invert, ok ? 1 : 0);
    EXPECT_EQ(doc.film()->GetInvert(), ok);
    EXPECT_EQ(doc.Alter, ok ? 1 : 0);
    EXPECT_EQ(doc.Step, ok ? 3 : 0);
    EXPECT_EQ(doc.side, ok ? 3 : 2);
    EXPECT_EQ(state.presentation, ok ? 2 : 1);
    EXPECT_EQ(state.framesPerSecond, ok ? 40.0 : 12.5);
}

INSTANTIATE_TEST_SUITE_P(Buttons, SetPnlEnd, ::testing::Bool());

TEST_F(SetPnlTest, FramesPerSecondMustBeANumber)
{
    LoadFilm(4);
    Run([this](SetPnl& dialog) {
        dialog.framesPerSecondEdit()->setText("fast");
        Click(dialog, "OK");
        EXPECT_EQ(messages.messages, std::vector<std::string>{"Please enter a number."});
        EXPECT_TRUE(dialog.isVisible());

        // A slider move shows the message too but still moves D.
        dialog.dSlider()->setValue(60);
        EXPECT_EQ(messages.messages.size(), 2u);
        EXPECT_EQ(dialog.dEdit()->text(), "10");

        dialog.framesPerSecondEdit()->setText(" 24 ");
        Click(dialog, "OK");
    });
    EXPECT_EQ(state.framesPerSecond, 24.0);
    EXPECT_EQ(doc.Dist, 10);
}

}  // namespace
}  // namespace plexo
