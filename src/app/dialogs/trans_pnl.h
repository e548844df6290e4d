#pragma once
// TransPnl, the Translate dialog: picks a conversion direction and its
// options and runs the converters, one at a time, off the user-interface
// thread while the dialog shows their progress. It stays open between
// conversions; its main choices are kept in the settings file.


#include <string>

#include "app/dialogs/run_panel.h"
#include "app/dialogs/trans_pnl_checks.h"
#include "app/window/file_dialogs.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace plexo {

class UpDownControl;

class TransPnl : public RunDialog {
    Q_OBJECT
public:
    // Reads "Way", "Scale", "Color" and "Quality" of section "Translate".
    // The chooser asks for each conversion's source file.
    explicit TransPnl(QWidget* parent = nullptr, FileChooser chooser = RunFileDialog);
    // Ends a running conversion and writes the four keys back, however the
    // dialog was closed.
    ~TransPnl() override;

    TranslateValues values;

    // Members into controls (false) or controls into members (true). Reading
    // stops at the first number field without a number, shows "Please enter
    // an integer.", focuses that field and returns false. A typed quality is
    // held to 1..100.
    bool UpdateData(bool saveAndValidate);

    // The Start button: checks, asks for the source and whether to replace
    // files, starts the converter.
    void OnStart();

    QComboBox* directionList() const { return directionList_; }
    QCheckBox* colourBox() const { return colourBox_; }
    QComboBox* scaleList() const { return scaleList_; }
    UpDownControl* qualitySpin() const { return qualitySpin_; }
    QLineEdit* qualityEdit() const { return qualityEdit_; }
    QCheckBox* fixSizeBox() const { return fixSizeBox_; }
    QLineEdit* widthEdit() const { return widthEdit_; }
    QLineEdit* heightEdit() const { return heightEdit_; }
    QComboBox* compressList() const { return compressList_; }
    QPushButton* startButton() const { return startButton_; }
    QPushButton* stopButton() const { return stopButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

signals:
    // A conversion started by Start has ended (stopped or not).
    void conversionFinished();

private:
    void OnFixSizeClicked();
    void OnDirectionChosen();
    void OnQualitySpin(int change);
    std::string ChooseSource(ConversionWay way);
    // Before anything is written: refuses a run that would write over a file
    // of its own source, and asks once (Cancel the default) before replacing
    // existing files, naming the first and the count.
    bool MayWrite(ConversionWay way, const std::string& path);

    FileChooser chooser_;

    QComboBox* compressList_;
    QLineEdit* widthEdit_;
    QLineEdit* heightEdit_;
    QComboBox* directionList_;
    QCheckBox* colourBox_;
    QComboBox* scaleList_;
    UpDownControl* qualitySpin_;
    QLineEdit* qualityEdit_;
    QCheckBox* fixSizeBox_;
    QPushButton* startButton_;
    QPushButton* stopButton_;
    QPushButton* cancelButton_;
};

}  // namespace plexo
