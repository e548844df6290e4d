#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/display_panel.h"
#include "app/trans_pnl.h"
#include "app/trans_pnl_spin.h"
#include "platform/log.h"
#include "platform/profile.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "viewer_fixture.h"

namespace plexo {
namespace {

using test::MessageCapture;
using test::TempDir;

class TransPnlTest : public ::testing::Test {
protected:
    TransPnlTest() { platform::SetSettingsFilePath(dir.file("duvix.ini")); }
    ~TransPnlTest() override { platform::SetSettingsFilePath({}); }

    std::unique_ptr<TransPnl> Open()
    {
        return std::make_unique<TransPnl>(nullptr, [this](QWidget*, const FileRequest& request) {
            requests.push_back(request);
            return chosen;
        });
    }

    void StoreTranslate(const std::string& key, const std::string& value)
    {
        ASSERT_TRUE(platform::WriteProfileString("Translate", key, value));
    }

    TempDir dir;
    MessageCapture messages;
    QString chosen;
    std::vector<FileRequest> requests;
};

TEST_F(TransPnlTest, FirstUseShowsTheDefaultsAndStoresThemOnClose)
{
    auto dialog = Open();
    EXPECT_EQ(dialog->directionList()->currentText(), "bmp -> flm");
    EXPECT_EQ(dialog->scaleList()->currentText(), "2 -> 1");
    EXPECT_TRUE(dialog->colourBox()->isChecked());
    EXPECT_EQ(dialog->qualityEdit()->text(), "95");
    EXPECT_FALSE(dialog->fixSizeBox()->isChecked());
    EXPECT_EQ(dialog->widthEdit()->text(), "0");
    EXPECT_EQ(dialog->heightEdit()->text(), "0");
    EXPECT_FALSE(dialog->widthEdit()->isEnabled());
    EXPECT_FALSE(dialog->heightEdit()->isEnabled());
    EXPECT_EQ(dialog->compressList()->currentText(), "jpeg");
    EXPECT_TRUE(dialog->compressList()->isEnabled());
    EXPECT_FALSE(std::filesystem::exists(dir.file("duvix.ini")));
    dialog.reset();
    EXPECT_EQ(platform::ReadProfileInt("Translate", "Way", -1), 0);
    EXPECT_EQ(platform::ReadProfileInt("Translate", "Scale", -1), 1);
    EXPECT_EQ(platform::ReadProfileInt("Translate", "Color", -1), 1);
    EXPECT_EQ(platform::ReadProfileInt("Translate", "Quality", -1), 95);
}

TEST_F(TransPnlTest, CancelWritesBackWhatWasRead)
{
    StoreTranslate("Way", "3");
    StoreTranslate("Scale", "0");
    StoreTranslate("Color", "0");
    StoreTranslate("Quality", "40");
    {
        auto dialog = Open();
        EXPECT_EQ(dialog->directionList()->currentText(), "flm -> jpg");
        EXPECT_FALSE(dialog->colourBox()->isChecked());
        // A change that no Start, Fix size click or direction choice took is
        // not stored.
        dialog->scaleList()->setCurrentIndex(3);
        dialog->cancelButton()->click();
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
        // The keys are written when the dialog goes, not when it closes.
        StoreTranslate("Way", "5");
    }
    EXPECT_EQ(platform::ReadProfileInt("Translate", "Way", -1), 3);
    EXPECT_EQ(platform::ReadProfileInt("Translate", "Scale", -1), 0);
    EXPECT_EQ(platform::ReadProfileInt("Translate", "Color", -1), 0);
    EXPECT_EQ(platform::ReadProfileInt("Translate", "Quality", -1), 40);
}

struct SpinCase {
    int stored;
    bool up;
    int shown;
};

class TransPnlSpin : public TransPnlTest, public ::testing::WithParamInterface<SpinCase> {};

TEST_P(TransPnlSpin, StepsFromTheMemberWithin1To100)
{
    StoreTranslate("Quality", std::to_string(GetParam().stored));
    auto dialog = Open();
    // The step starts from the member, not from the edit's text, and puts
    // every member back, a typed width too.
    dialog->qualityEdit()->setText("50");
    dialog->widthEdit()->setText("640");
    QToolButton* arrow = GetParam().up ? dialog->qualitySpin()->upButton() : dialog->qualitySpin()->downButton();
    arrow->click();
    EXPECT_EQ(dialog->qualityEdit()->text().toInt(), GetParam().shown);
    EXPECT_EQ(dialog->values.quality, GetParam().shown);
    EXPECT_EQ(dialog->widthEdit()->text(), "0");
}

INSTANTIATE_TEST_SUITE_P(Limits, TransPnlSpin,
                         ::testing::Values(SpinCase{100, true, 100}, SpinCase{99, true, 100},
                                           SpinCase{1, false, 1}, SpinCase{2, false, 1},
                                           SpinCase{95, false, 94}, SpinCase{95, true, 96},
                                           SpinCase{250, false, 100}, SpinCase{-7, true, 1}));

TEST_F(TransPnlTest, FixSizeAndDirectionDriveTheirFields)
{
    auto dialog = Open();
    dialog->fixSizeBox()->click();
    EXPECT_TRUE(dialog->widthEdit()->isEnabled());
    EXPECT_TRUE(dialog->heightEdit()->isEnabled());
    EXPECT_EQ(dialog->values.fixSize, 1);
    dialog->fixSizeBox()->click();
    EXPECT_FALSE(dialog->widthEdit()->isEnabled());

    for (int direction = 0; direction < 6; ++direction) {
        dialog->directionList()->setCurrentIndex(direction);
        emit dialog->directionList()->activated(direction);
        EXPECT_EQ(dialog->compressList()->isEnabled(), direction == 0 || direction == 5) << direction;
        EXPECT_EQ(dialog->values.direction, direction);
    }
}

struct StartCase {
    const char* name;
    int direction;
    bool fixSize;
    const char* width;
    const char* height;
    const char* message;  // null: the file dialog is asked for the source
    int focusedField;     // 1 width, 2 height, 0 none
};

class TransPnlStart : public TransPnlTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(TransPnlStart, ChecksInOrder)
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

    if (c.message)
        EXPECT_EQ(messages.messages, std::vector<std::string>{c.message});
    else
        EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(requests.size(), c.message ? 0u : 1u);
    if (c.focusedField != 0) {
        EXPECT_TRUE((c.focusedField == 1 ? dialog->widthEdit() : dialog->heightEdit())->hasFocus());
    }
    EXPECT_FALSE(dialog->Running());
}

INSTANTIATE_TEST_SUITE_P(
    Table, TransPnlStart,
    ::testing::Values(
        StartCase{"Width322ToBmp", 2, true, "322", "240", "For BMP the width should be multiple 4", 0},
        StartCase{"Width322ToJpg", 3, true, "322", "240", nullptr, 0},
        StartCase{"Width322JpgToBmp", 4, true, "322", "240", "For BMP the width should be multiple 4", 0},
        StartCase{"ZeroWidthAndHeight", 2, true, "0", "0", "The width should be more 0", 0},
        StartCase{"ZeroHeight", 2, true, "320", "0", "The height should be more 0", 0},
        StartCase{"NegativeWidth", 0, true, "-8", "10", "The width should be more 0", 0},
        StartCase{"TrailingTextIgnored", 2, true, "320abc", " 240", nullptr, 0},
        StartCase{"EmptyWidth", 2, true, "", "240", "Please enter an integer.", 1},
        StartCase{"LetterHeight", 2, true, "320", "x1", "Please enter an integer.", 2},
        StartCase{"UnfixedSizeSkipsChecks", 2, false, "0", "0", nullptr, 0}),
    [](const ::testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

// Stop, or closing the dialog, while frames are still being written ends the
// run like a write failure; the frames written so far stay.
class TransPnlRun : public TransPnlTest, public ::testing::WithParamInterface<bool> {};

TEST_P(TransPnlRun, EndsMidwayLikeAWriteFailure)
{
    const bool closing = GetParam();
    constexpr int kLongFilm = 300;
    chosen = QString::fromStdString(test::WriteBmpSequence(dir.path(), kLongFilm, 64, 48));
    platform::ClearLog();
    Display panel(nullptr);
    panel.InstallLogSink();
    {
        auto dialog = Open();
        dialog->scaleList()->setCurrentIndex(0);
        dialog->directionList()->setCurrentIndex(1);
        dialog->startButton()->click();
        EXPECT_FALSE(dialog->startButton()->isEnabled());
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->progressBar()->value() >= 1; }, 60000));
        (closing ? dialog->cancelButton() : dialog->stopButton())->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->Running(); }, 60000));
        EXPECT_TRUE(dialog->startButton()->isEnabled());
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(panel.text(), "\nstart\nwrite error\nfinish");
    EXPECT_TRUE(std::filesystem::exists(dir.file("take0001.jpg")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("take0300.jpg")));
}

INSTANTIATE_TEST_SUITE_P(Ways, TransPnlRun, ::testing::Bool());

}  // namespace
}  // namespace plexo
