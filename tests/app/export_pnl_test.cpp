#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QProgressBar>
#include <QRadioButton>
#include <QSpinBox>

#include "align/align_model.h"
#include "app/dialogs/export_pnl.h"
#include "support/tool_run.h"
#include "video/video_fixtures.h"
#include "viewer_fixture.h"

namespace plexo {
namespace {

class ExportPnlTest : public test::ViewerTest {
protected:
    // Starts the export with the dialog's choices and waits for its end.
    static void Run(ExportPnl& dialog, const std::string& out)
    {
        dialog.nameEdit()->setText(QString::fromStdString(out));
        dialog.startButton()->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.Running(); }, 60000));
    }
};

// The dialog exports what the view shows: its film's shift and place, the
// swap and the vertical move, and D only when asked; in every format, the
// files are those plexo-tool writes for the same choices. Each control
// follows the format, and the choices are kept for the next time.
TEST_F(ExportPnlTest, WritesThePairsTheViewShowsInEveryFormat)
{
    if (!test::HaveTool())
        GTEST_SKIP() << "PLEXO_TOOL is not set";
    CPlexoDoc& doc = *Start({DemoFilm(), "/A=3"}).document();
    doc.StepForward();
    doc.SwapEyes();
    doc.MoveAdjustments(6, 2);
    const std::string common = "export " + DemoFilm() + " --index " + std::to_string(doc.film()->Position()) +
                               " --shift 3 --swap --vertical 2 --quality 90 ";
    const std::string dist = "--dist " + std::to_string(doc.stereo().adjust.dist) + " ";
    std::vector<std::string> toolArguments;
    Answer<ExportPnl>(kCmdExportStereo, [&](ExportPnl& dialog) {
        const std::string film = DemoFilm();
        EXPECT_EQ(dialog.nameEdit()->text().toStdString(), film.substr(0, film.size() - 4) + "-stereo.mpo");
        // A typed extension chooses its format and stays as typed.
        dialog.nameEdit()->clear();
        QTest::keyClicks(dialog.nameEdit(), "clip.JPS");
        EXPECT_EQ(dialog.Format(), ExportFormatOf("x.jps"));
        EXPECT_EQ(dialog.nameEdit()->text(), "clip.JPS");
        dialog.modeList()->setCurrentIndex(dialog.modeList()->findText("checkerboard"));
        dialog.layoutList()->setCurrentIndex(dialog.layoutList()->findText("top-bottom, half height"));
        dialog.currentFrameButton()->setChecked(true);
        dialog.qualityBox()->setValue(90);
        for (size_t row = 0; row < ExportFormats().size(); ++row) {
            const ExportFormat& format = ExportFormats()[row];
            const std::string extension = format.extension;
            dialog.formatList()->setCurrentIndex(int(row));
            EXPECT_TRUE(dialog.nameEdit()->text().endsWith(QString::fromStdString(
                (row == 0 ? "clip." : "view.") + extension)));
            EXPECT_EQ(dialog.modeList()->isEnabled(), format.takesMode) << extension;
            EXPECT_EQ(dialog.layoutList()->isEnabled(), format.oneFile) << extension;
            dialog.distBox()->setChecked(row % 2 == 1);
            Run(dialog, (scratch_ / ("view." + extension)).string());
            EXPECT_EQ(dialog.progressLabel()->text(), "finished, 1 frame written") << extension;
            toolArguments.push_back(common + (row % 2 == 1 ? dist : "") +
                                    (format.takesMode ? "--mode checkerboard " : "") +
                                    (format.oneFile ? "--layout tb-half --fps 15 " : "") + "--out ");
        }
        dialog.reject();
    });
    // The choices are there again the next time.
    Answer<ExportPnl>(kCmdExportStereo, [](ExportPnl& dialog) {
        EXPECT_EQ(dialog.Format(), &ExportFormats().back());
        EXPECT_EQ(dialog.modeList()->currentText(), "checkerboard");
        EXPECT_EQ(dialog.layoutList()->currentText(), "top-bottom, half height");
        EXPECT_EQ(dialog.qualityBox()->value(), 90);
        EXPECT_EQ(dialog.distBox()->isChecked(), ExportFormats().size() % 2 == 0);
        dialog.reject();
    });
    test::TempDir tool;
    for (size_t row = 0; row < toolArguments.size(); ++row) {
        const std::string name = std::string("t.") + ExportFormats()[row].extension;
        ASSERT_EQ(test::RunTool(tool, toolArguments[row] + test::Quoted(tool, name)).status, 0) << name;
        EXPECT_EQ(test::ReadBytes((scratch_ / ("view." + name.substr(2))).string()), test::ReadBytes(tool.file(name)))
            << name;
    }
}

// A film with a kept correction is written aligned and with its own D (the
// window's), whatever the displacement box says, as plexo-tool export writes
// it from the film's record.
TEST_F(ExportPnlTest, AppliesTheFilmsAlignmentAsTheToolDoes)
{
    if (!test::HaveTool())
        GTEST_SKIP() << "PLEXO_TOOL is not set";
    CPlexoDoc& doc = *Start({DemoFilm(), "/A=3"}).document();
    doc.MoveAdjustments(6, 0);
    doc.setAlignment(align::AlignModelText({.vertical = 5, .roll = 1.5, .scale = 1.02}));
    Answer<ExportPnl>(kCmdExportStereo, [this](ExportPnl& dialog) {
        dialog.formatList()->setCurrentIndex(dialog.formatList()->findText("BMP pictures (*.bmp)"));
        dialog.currentFrameButton()->setChecked(true);
        dialog.distBox()->setChecked(false);
        Run(dialog, (scratch_ / "aligned.bmp").string());
        dialog.reject();
    });
    test::TempDir tool;
    ASSERT_EQ(test::RunTool(tool, "export " + DemoFilm() + " --index " + std::to_string(doc.film()->Position()) +
                                      " --shift 3 --out " + test::Quoted(tool, "t.bmp"))
                  .status,
              0);
    EXPECT_EQ(test::ReadBytes((scratch_ / "aligned.bmp").string()), test::ReadBytes(tool.file("t.bmp")));
}

// A video goes out as a video, with the subtitles the view shows (a file
// beside it) unless others are chosen, burnt in as the tool burns them.
TEST_F(ExportPnlTest, AVideoDefaultsToMatroskaAndOffersTheToolsSubtitles)
{
    if (!test::HaveTool())
        GTEST_SKIP() << "PLEXO_TOOL is not set";
    const std::string clip = temp_.file("clip.mp4"), cue = "1\n00:00:00,000 --> 00:00:05,000\nHello\n";
    ASSERT_TRUE(test::MakeVideo(temp_, "clip.mp4", ""));
    test::WriteBytes(temp_.file("clip.srt"), {cue.begin(), cue.end()});
    CPlexoDoc& doc = *Start({clip}).document();
    Answer<ExportPnl>(kCmdExportStereo, [this](ExportPnl& dialog) {
        EXPECT_EQ(std::string(dialog.Format()->extension), "mkv");
        EXPECT_EQ(dialog.nameEdit()->text().toStdString(), temp_.file("clip-stereo.mkv"));
        ASSERT_EQ(dialog.subtitleList()->count(), 3);
        EXPECT_EQ(dialog.subtitleList()->currentText(), "clip.srt");
        dialog.depthList()->setCurrentText(QStringLiteral("12"));
        dialog.formatList()->setCurrentIndex(dialog.formatList()->findText("BMP pictures (*.bmp)"));
        dialog.modeList()->setCurrentIndex(dialog.modeList()->findData(int(PresentationId::SideBySide)));
        dialog.currentFrameButton()->setChecked(true);
        Run(dialog, (scratch_ / "subtitled.bmp").string());
        dialog.reject();
    });
    test::TempDir tool;
    const test::ToolRun run = test::RunTool(tool, "export " + clip + " --index " + std::to_string(doc.film()->Position()) +
                                                      " --shift " + std::to_string(doc.film()->GetShift()) +
                                                      " --subtitles 1 --subtitle-depth 12 --out " + test::Quoted(tool, "t.bmp"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::ReadBytes((scratch_ / "subtitled.bmp").string()), test::ReadBytes(tool.file("t.bmp")));
}

// Stop ends the run after the frame it holds at: the frames written stay,
// the next is never begun. Starting again asks before replacing them, and
// Cancel writes nothing.
TEST_F(ExportPnlTest, StopsAndAsksBeforeReplacing)
{
    Start({DemoFilm()});
    Answer<ExportPnl>(kCmdExportStereo, [this](ExportPnl& dialog) {
        dialog.formatList()->setCurrentIndex(dialog.formatList()->findText("BMP pictures (*.bmp)"));
        dialog.HoldRunsAfterFrame(1);
        dialog.nameEdit()->setText(QString::fromStdString((scratch_ / "run.bmp").string()));
        dialog.startButton()->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.progressBar()->value() == 1; }, 60000));
        dialog.stopButton()->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.Running(); }, 60000));
        EXPECT_EQ(dialog.progressLabel()->text(), "stopped, 1 frame written");
        EXPECT_TRUE(std::filesystem::exists(scratch_ / "run0000.bmp"));
        EXPECT_FALSE(std::filesystem::exists(scratch_ / "run0001.bmp"));

        QString asked;
        QTimer::singleShot(0, [&asked] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asked = box->text();
                box->reject();
            }
        });
        dialog.startButton()->click();
        EXPECT_EQ(asked, QString::fromStdString((scratch_ / "run0000.bmp").string() + " already exists.\nReplace it?"));
        EXPECT_FALSE(dialog.Running());
        dialog.reject();
    });
}

}  // namespace
}  // namespace plexo
