#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

#include <tuple>

#include "app/dialogs/set_pnl.h"
#include "support/message_capture.h"
#include "viewer_fixture.h"

namespace plexo {
namespace {

// The Settings command run on a film and stored parameters, with `answer`
// playing the user.
class SetPnlTest : public test::ViewerTest {
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        Start({});
    }

    void Run(int frames, int shift, const std::function<void(SetPnl&)>& answer)
    {
        // The document's other parameters keep their defaults, Round on.
        test::FakeFilm& film = GiveFilm(test::FakeFilm::WithFrames(frames));
        film.SetShift(shift);
        film.SetRound(true);
        app_->document()->setShift(shift);
        app_->document()->setDist(21);
        Frame().state.framesPerSecond = 12.5;
        before = Values();
        Answer<SetPnl>(kCmdSettings, answer);
        EXPECT_EQ(Frame().settingsDialog(), nullptr);
    }

    // Every value the dialog may write back, the film's own copies too.
    std::vector<double> Values()
    {
        const CPlexoDoc& doc = *app_->document();
        const Film& film = *doc.film();
        return {double(doc.dist()), double(doc.shift()), double(film.GetShift()), double(doc.round()),
                double(film.GetRound()), double(doc.invert()), double(film.GetInvert()), double(doc.reading()),
                double(doc.step()), double(doc.addSide()), double(int(doc.stereo().presentation)),
                Frame().state.framesPerSecond};
    }

    std::vector<double> before;
};

TEST_F(SetPnlTest, ASliderRangeFollowsTheFilmAndOkKeepsTheShiftTheEditShows)
{
    struct {
        int frames, shift, lowest, highest, position;
    } const rows[] = {{1, 0, 0, 0, 0}, {100, -4, -20, 20, -4}, {3, -4, -2, 2, -2}};
    for (const auto& c : rows) {
        Run(c.frames, c.shift, [&c](SetPnl& dialog) {
            const QSlider& a = *dialog.aSlider();
            EXPECT_EQ(std::tuple(a.minimum(), a.maximum(), a.value()), std::tuple(c.lowest, c.highest, c.position));
            EXPECT_EQ(dialog.aEdit()->text(), QString::number(c.shift));
            dialog.accept();
        });
        EXPECT_EQ(Values(), before) << c.frames;
    }
}

// Every control changed, then Cancel leaves every value as it was while OK
// writes all of it back.
TEST_F(SetPnlTest, OkWritesEveryControlBackAndCancelNone)
{
    for (bool ok : {false, true}) {
        Run(100, -4, [ok](SetPnl& dialog) {
            EXPECT_EQ(dialog.dSlider()->value(), 71);
            EXPECT_EQ(dialog.framesPerSecondEdit()->text(), "12.5");
            for (auto [position, shown] : {std::pair{0, "-50"}, {100, "50"}}) {
                dialog.dSlider()->setValue(position);
                EXPECT_EQ(dialog.dEdit()->text(), shown);
            }
            dialog.aSlider()->setValue(7);
            EXPECT_EQ(dialog.aEdit()->text(), "7");
            // Red-Blue and Interlaced exclude each other.
            for (QCheckBox* box : {dialog.interlacedBox(), dialog.redBlueBox(), dialog.interlacedBox()}) {
                box->click();
                EXPECT_NE(dialog.redBlueBox()->isChecked(), dialog.interlacedBox()->isChecked());
            }
            dialog.roundBox()->click();
            dialog.invertBox()->click();
            dialog.alterList()->setCurrentIndex(1);
            dialog.stepList()->setCurrentIndex(3);
            dialog.sideList()->setCurrentIndex(3);
            dialog.framesPerSecondEdit()->setText("40");
            ok ? dialog.accept() : dialog.reject();
        });
        const std::vector<double> changed = {50, 7, 7, 0, 0, 1, 1, 1, 3, 3, 2, 40};
        EXPECT_EQ(Values(), ok ? changed : before);
    }
}

// A and D take a number typed within their slider's range, as a slider move
// gives it, and give anything else back.
TEST_F(SetPnlTest, TypedAAndDWithinTheSlidersRangeMoveThem)
{
    Run(100, -4, [](SetPnl& dialog) {
        const struct {
            QLineEdit* edit;
            const char* typed;
            int a, d;
        } rows[] = {{dialog.aEdit(), "7", 7, 21},  {dialog.aEdit(), "21", 7, 21}, {dialog.dEdit(), "-50", 7, -50},
                    {dialog.dEdit(), "x", 7, -50}, {dialog.dEdit(), " 3", 7, 3}};
        // Focus and Tab reach the edits only in the active window.
        QApplication::setActiveWindow(&dialog);
        for (const auto& row : rows) {
            row.edit->setFocus();
            row.edit->selectAll();
            QTest::keyClicks(row.edit, row.typed);
            QTest::keyClick(row.edit, Qt::Key_Tab);
            EXPECT_EQ(std::tuple(dialog.aEdit()->text(), dialog.aSlider()->value(), dialog.dEdit()->text(),
                                 dialog.dSlider()->value()),
                      std::tuple(QString::number(row.a), row.a, QString::number(row.d), row.d + kDistSliderCentre))
                << row.typed;
        }
        dialog.accept();
    });
    EXPECT_EQ(std::tuple(app_->document()->shift(), app_->document()->dist()), std::tuple(7, 3));
}

// While stereo runs the presentation boxes are locked and the dialog says why.
TEST_F(SetPnlTest, StereoLocksThePresentationAndSaysWhy)
{
    Frame().state.stereo = true;
    Run(10, -4, [](SetPnl& dialog) {
        EXPECT_TRUE(!dialog.redBlueBox()->isEnabled() && dialog.stereoLock()->isVisible());
        dialog.reject();
    });
}

// OK keeps the dialog open; a slider move shows the message too but still
// moves D and puts every member back into its control.
TEST_F(SetPnlTest, RefusesOkWithTheFrameworksMessage)
{
    struct {
        QLineEdit* (SetPnl::*edit)() const;
        const char* text;
        const char* message;
    } const rows[] = {{&SetPnl::framesPerSecondEdit, "fast", "Please enter a number."},
                      {&SetPnl::framesPerSecondEdit, "1000000", "1e+06 frames a second is outside 0.01 to 1000"},
                      {&SetPnl::aEdit, "x1", "Please enter an integer."}};
    for (const auto& c : rows) {
        test::MessageCapture messages;
        Run(4, -4, [&](SetPnl& dialog) {
            (dialog.*c.edit)()->setText(c.text);
            dialog.accept();
            EXPECT_EQ(messages.messages, std::vector<std::string>{c.message});
            EXPECT_TRUE(dialog.isVisible());
            dialog.dSlider()->setValue(60);
            EXPECT_EQ(messages.messages, std::vector<std::string>(2, c.message));
            EXPECT_EQ(dialog.dEdit()->text(), "10");
            dialog.accept();
        });
        EXPECT_EQ(app_->document()->dist(), 10) << c.message;
    }
}

}  // namespace
}  // namespace plexo
