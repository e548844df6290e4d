#pragma once
// SetPnl, the Settings dialog: the stereo and playback parameters of the
// loaded film. The Settings command fills its values, runs it and, on OK,
// writes them back (set_pnl_command.h); the dialog itself only keeps its
// controls consistent with each other.

#include <QDialog>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;
class QSpinBox;

namespace plexo {

struct SettingsValues {
    int32_t a = 0;  // the partner offset A: the document's Shift, or a two-view film's eye offset
    int32_t round = 0;
    int32_t d = 0;       // the displacement D shown; a new one is the Settings D (Dist)
    int32_t alter = -1;  // 0 "Memory", 1 "File"
    double framesPerSecond = 0.0;
    int32_t redBlue = 0;
    int32_t interlaced = 0;
    int32_t invert = 0;
    int32_t step = -1;  // n: the item for n + 1 steps
    int32_t side = -1;  // 0 right, 1 bottom, 2 left, 3 top
    int32_t highestFrame = 0;  // the film's frame count minus 1, or 0
    bool stereoOn = false;     // Red-Blue and Interlaced are locked while stereo runs
    int32_t resume = 1;        // videos reopen where they were left
    int32_t slideSeconds = 5;  // each picture of a slideshow
};

// The D slider's position for D = 0.
inline constexpr int kDistSliderCentre = 50;

class SetPnl : public QDialog {
    Q_OBJECT
public:
    explicit SetPnl(QWidget* parent = nullptr);

    SettingsValues values;

    // Moves the values into the controls (false) or the controls into the
    // values (true). Reading stops at the first edit that holds no valid
    // value, shows its message and returns false.
    bool UpdateData(bool saveAndValidate);

    // Puts the values into the controls and sets up both sliders; runs
    // before the dialog is first shown.
    void OnInitDialog();

    void accept() override;

    QSlider* aSlider() const { return aSlider_; }
    QSlider* dSlider() const { return dSlider_; }
    QLineEdit* aEdit() const { return aEdit_; }
    QLineEdit* dEdit() const { return dEdit_; }
    QLineEdit* framesPerSecondEdit() const { return fpsEdit_; }
    QCheckBox* roundBox() const { return roundBox_; }
    QCheckBox* redBlueBox() const { return redBlueBox_; }
    QCheckBox* interlacedBox() const { return interlacedBox_; }
    QCheckBox* invertBox() const { return invertBox_; }
    QComboBox* alterList() const { return alterList_; }
    QComboBox* stepList() const { return stepList_; }
    QComboBox* sideList() const { return sideList_; }
    QCheckBox* resumeBox() const { return resumeBox_; }
    QSpinBox* slideSecondsBox() const { return slideSecondsBox_; }
    // Shown while stereo runs, saying why Red-Blue and Interlaced are locked.
    QLabel* stereoLock() const { return stereoLock_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnSliderMoved(QSlider* slider);
    // A number typed into a slider's edit: `value` is the edit's member of
    // `values`, `centre` the slider's position for 0.
    void OnNumberTyped(QLineEdit* edit, QSlider* slider, int32_t& value, int32_t centre);
    void OnRedBlueClicked();
    void OnInterlacedClicked();

    QCheckBox* redBlueBox_;
    QCheckBox* interlacedBox_;
    QSlider* dSlider_;
    QSlider* aSlider_;
    QLineEdit* aEdit_;
    QCheckBox* roundBox_;
    QLineEdit* dEdit_;
    QComboBox* alterList_;
    QLineEdit* fpsEdit_;
    QCheckBox* invertBox_;
    QComboBox* stepList_;
    QComboBox* sideList_;
    QLabel* stereoLock_;
    QCheckBox* resumeBox_;
    QSpinBox* slideSecondsBox_;
    bool initialised_ = false;
};

}  // namespace plexo
