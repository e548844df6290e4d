#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

#include <sys/stat.h>
#include <unistd.h>

#include "app/dialogs/display_panel.h"
#include "app/dialogs/trans_pnl.h"
#include "app/dialogs/trans_pnl_spin.h"
#include "convert/existing_outputs.h"
#include "platform/profile.h"
#include "support/message_capture.h"
#include "viewer_fixture.h"

namespace plexo {
namespace {

const char* const kKeys[] = {"Way", "Scale", "Color", "Quality"};

class TransPnlTest : public test::ViewerTest {
protected:
    std::unique_ptr<TransPnl> Open()
    {
        return std::make_unique<TransPnl>(nullptr, [this](QWidget*, const FileRequest&) {
            ++requests;
            return chosen;
        });
    }

    test::MessageCapture messages;
    QString chosen;
    int requests = 0;
};

// The four keys are written when the dialog goes, whatever it was closed
// with, and hold what was read unless a Start or a click took a change.
TEST_F(TransPnlTest, ShowsWhatWasReadAndCancelWritesItBack)
{
    const struct {
        std::vector<int> stored;  // Way, Scale, Color, Quality; empty: no settings file
        const char *direction, *scale;
    } rows[] = {{{}, "bmp -> flm", "2 -> 1"}, {{3, 0, 0, 40}, "flm -> jpg", "1 -> 1"}};
    for (const auto& c : rows) {
        for (size_t i = 0; i < c.stored.size(); ++i)
            ASSERT_TRUE(platform::WriteProfileString("Translate", kKeys[i], std::to_string(c.stored[i])));
        const std::vector<int> expected = c.stored.empty() ? std::vector<int>{0, 1, 1, 95} : c.stored;
        {
            auto dialog = Open();
            EXPECT_EQ(dialog->directionList()->currentText(), c.direction);
            EXPECT_EQ(dialog->scaleList()->currentText(), c.scale);
            EXPECT_EQ(dialog->colourBox()->isChecked(), expected[2] != 0);
            EXPECT_EQ(dialog->qualityEdit()->text().toInt(), expected[3]);
            EXPECT_EQ(std::filesystem::exists(platform::SettingsFilePath()), !c.stored.empty());
            dialog->scaleList()->setCurrentIndex(3);
            dialog->cancelButton()->click();
            ASSERT_TRUE(platform::WriteProfileString("Translate", "Way", "5"));
        }
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(platform::ReadProfileInt("Translate", kKeys[i], -1), expected[i]) << kKeys[i];
    }
}

struct QualityCase {
    const char* typed;  // key by key into the quality edit
    int step;           // -1 the up arrow, 1 the down arrow, 0 Start
    int shown;
};

class TransPnlQuality : public TransPnlTest, public ::testing::WithParamInterface<QualityCase> {};

// The quality takes typed digits and nothing else; the spin steps from what
// is shown and puts every other member back, a typed width too; Start holds
// it to 1..100. What is shown is stored. By mouse and keyboard.
TEST_P(TransPnlQuality, TakesTypedDigitsThatTheSpinStepsAndStartHolds)
{
    const QualityCase& c = GetParam();
    {
        auto dialog = Open();
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        test::UserClick(dialog->qualityEdit());
        QTest::keyClick(dialog->qualityEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(dialog->qualityEdit(), c.typed);
        dialog->widthEdit()->setText("640");
        UpDownControl* spin = dialog->qualitySpin();
        QWidget* button = c.step < 0 ? spin->upButton() : c.step > 0 ? spin->downButton() : nullptr;
        test::UserClick(button ? button : dialog->startButton());
        EXPECT_EQ(dialog->qualityEdit()->text().toInt(), c.shown);
        EXPECT_EQ(dialog->widthEdit()->text(), c.step ? "0" : "640");
    }
    EXPECT_EQ(platform::ReadProfileInt("Translate", "Quality", -1), c.shown);
}

INSTANTIATE_TEST_SUITE_P(Limits, TransPnlQuality,
                         ::testing::Values(QualityCase{"100", -1, 100}, QualityCase{"1", 1, 1},
                                           QualityCase{"50", 1, 49}, QualityCase{"5x0", -1, 51},
                                           QualityCase{"", -1, 96}, QualityCase{"0", 0, 1},
                                           QualityCase{"999", 0, 100}));

struct StartCase {
    int direction;
    bool fixSize;
    const char* width;
    const char* height;
    const char* message;  // null: the checks pass and the source is asked for
    int focusedField;     // 1 width, 2 height, 0 not checked
};

class TransPnlStart : public TransPnlTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(TransPnlStart, ChecksTheSizeInOrder)
{
    const StartCase& c = GetParam();
    auto dialog = Open();
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    dialog->directionList()->setCurrentIndex(c.direction);
    if (c.fixSize)
        dialog->fixSizeBox()->click();
    dialog->widthEdit()->setText(c.width);
    dialog->heightEdit()->setText(c.height);
    dialog->startButton()->click();

    EXPECT_EQ(messages.messages, c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
    EXPECT_EQ(requests, c.message ? 0 : 1);
    EXPECT_TRUE(c.focusedField == 0 || (c.focusedField == 1 ? dialog->widthEdit() : dialog->heightEdit())->hasFocus());
}

constexpr const char* kMultiple4 = "For BMP the width should be multiple 4";

INSTANTIATE_TEST_SUITE_P(
    Sizes, TransPnlStart,
    ::testing::Values(StartCase{2, true, "322", "240", kMultiple4, 0}, StartCase{3, true, "322", "240", nullptr, 0},
                      StartCase{4, true, "322", "240", kMultiple4, 0},
                      StartCase{2, true, "0", "0", "The width should be more 0", 0},
                      StartCase{2, true, "320", "0", "The height should be more 0", 0},
                      StartCase{2, true, "", "240", "Please enter an integer.", 1},
                      StartCase{2, true, "320", "x1", "Please enter an integer.", 2},
                      StartCase{2, true, "320abc", " 240", nullptr, 0}, StartCase{2, false, "0", "0", nullptr, 0}));

struct RunCase {
    int direction;
    QPushButton* (TransPnl::*end)() const;  // null: the run goes to its end
    const char* log;
    const char* label;  // the progress label after the run
};

class TransPnlRun : public TransPnlTest, public ::testing::WithParamInterface<RunCase> {};

// Stop, or closing the dialog, while frames are still being written ends the
// run like a write failure: the frames of a sequence written so far stay, a
// .flm cut short goes. The run is held after its first frame until then.
TEST_P(TransPnlRun, ReportsInThePanel)
{
    const RunCase& c = GetParam();
    chosen = QString::fromStdString(test::WriteBmpSequence(scratch_, 3, 64, 48));
    const std::string damaged = (scratch_ / "take0002.bmp").string();
    if (QString(c.label).startsWith("failed"))
        test::WriteBytes(damaged, {'B', 'M'});
    Display panel(nullptr);
    panel.InstallLogSink();
    {
        auto dialog = Open();
        dialog->HoldRunsAfterFrame(c.end ? 1 : 0);
        dialog->scaleList()->setCurrentIndex(0);
        dialog->directionList()->setCurrentIndex(c.direction);
        dialog->startButton()->click();
        EXPECT_FALSE(dialog->startButton()->isEnabled());
        if (c.end) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->progressBar()->value() == 1; }, 60000));
            ((*dialog).*c.end)()->click();
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->Running(); }, 60000));
        EXPECT_TRUE(dialog->startButton()->isEnabled());
        EXPECT_EQ(dialog->progressLabel()->text(), c.label);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(panel.text(), QString(c.log).replace("%1", QString::fromStdString(damaged)));
    const bool whole = QString(c.label).startsWith("finished");
    EXPECT_EQ(std::filesystem::exists(scratch_ / "take0001.jpg"), c.direction == 1);
    EXPECT_EQ(std::filesystem::exists(scratch_ / "take0002.jpg"), c.direction == 1 && whole);
    EXPECT_EQ(std::filesystem::exists(scratch_ / "take0.flm"), c.direction == 0 && whole);
}

constexpr const char* kStopped = "\nstart\nwrite error\nfinish";
INSTANTIATE_TEST_SUITE_P(
    Ends, TransPnlRun,
    ::testing::Values(RunCase{0, nullptr, "\nstart\nOK\nfinish", "finished, 3 frames written"},
                      RunCase{0, &TransPnl::stopButton, kStopped, "stopped, 1 frame written"},
                      RunCase{1, nullptr, "\nstart\nError reading file header: %1\nwrite error\nfinish",
                              "failed, 1 frame written"},
                      RunCase{1, &TransPnl::cancelButton, kStopped, "stopped, 1 frame written"}));

// Before it writes anything, Start asks once about files it would replace,
// with Cancel the default, and refuses to write over its own source.
TEST_F(TransPnlTest, AsksBeforeReplacingFilesAndNeverWritesOverTheSource)
{
    chosen = QString::fromStdString(test::WriteBmpSequence(scratch_, 3, 64, 48));
    auto dialog = Open();
    dialog->directionList()->setCurrentIndex(1);
    QStringList asked;
    const auto start = [&](const std::function<void(QMessageBox&)>& answer) {
        QTimer::singleShot(0, [&asked, answer] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asked << box->text();
                ASSERT_TRUE(QTest::qWaitForWindowExposed(box));
                answer ? answer(*box) : box->reject();
            }
        });
        dialog->startButton()->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->Running(); }, 60000));
        QCoreApplication::processEvents();
    };
    start({});
    const ExistingOutputs written = FindExistingOutputs(ConversionWay::BmpToJpg, chosen.toStdString()).value();
    ASSERT_EQ(written.files.size(), 3u);
    EXPECT_TRUE(asked.isEmpty());

    start([](QMessageBox& box) { test::UserKey(&box, Qt::Key_Return); });
    EXPECT_EQ(CountReplaced(written), 0);
    start([](QMessageBox& box) {
        for (QAbstractButton* button : box.buttons())
            if (button->text() == "Replace")
                test::UserClick(button);
    });
    EXPECT_EQ(CountReplaced(written), 3);
    const QString first = QString::fromStdString((scratch_ / "take0001.jpg").string());
    EXPECT_EQ(asked, QStringList(2, "3 files of this conversion already exist, the first of them " + first +
                                        ".\nReplace them?"));

    std::filesystem::remove(scratch_ / "take0002.jpg");
    std::filesystem::create_symlink(scratch_ / "take0002.bmp", scratch_ / "take0002.jpg");
    start({});
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(messages.messages, std::vector<std::string>{SourceHitMessage((scratch_ / "take0002.jpg").string())});
}

// A link planted among the outputs (by another user in a folder open to all,
// where the test may act as one) is replaced itself once the user agrees to
// replace: the file it names is never written.
TEST_F(TransPnlTest, ReplacesAPlantedLinkNotTheFileItNames)
{
    chosen = QString::fromStdString(test::WriteBmpSequence(scratch_, 2, 64, 48));
    const std::vector<uint8_t> precious = {'p', 'r', 'e', 'c', 'i', 'o', 'u', 's'};
    const std::filesystem::path victim = scratch_ / "v.txt", link = scratch_ / "take0002.jpg";
    test::WriteBytes(victim.string(), precious);
    std::filesystem::create_symlink(victim, link);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chmod(scratch_.c_str(), 01777), 0);
        ASSERT_EQ(::lchown(link.c_str(), 65534, 65534), 0);
    }
    auto dialog = Open();
    dialog->directionList()->setCurrentIndex(1);
    QTimer::singleShot(0, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            for (QAbstractButton* button : box->buttons())
                if (button->text() == "Replace")
                    test::UserClick(button);
    });
    dialog->startButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->Running(); }, 60000));
    EXPECT_EQ(dialog->progressLabel()->text(), "finished, 2 frames written");
    EXPECT_EQ(test::ReadBytes(victim.string()), precious);
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::ReadBytes(link.string()).at(0), 0xFF);
}

}  // namespace
}  // namespace plexo
