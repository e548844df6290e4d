#pragma once
// ExportPnl, File > Export Stereo: writes the shown film's frame pairs, as
// the view pairs and adjusts them, in a form other stereo software reads
// (the table of export formats). The export runs on its own copy of the film,
// off the user-interface thread, with the progress, Stop and log lines of
// Translate.

#include <string>

#include "app/dialogs/run_panel.h"
#include "app/window/file_dialogs.h"
#include "convert/export_format.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace plexo {

class CPlexoDoc;

class ExportPnl : public RunDialog {
    Q_OBJECT
public:
    // The document, whose film is shown, must outlive the dialog;
    // `framesPerSecond` is the rate of a film that states none.
    // Reads the last choices from the settings file's "Export" section.
    ExportPnl(QWidget* parent, const CPlexoDoc& doc, double framesPerSecond, FileChooser chooser = RunFileDialog);
    // Writes the choices back, however the dialog was closed.
    ~ExportPnl() override;

    // What the controls say, over what the view shows.
    ExportOptions Options() const;
    const ExportFormat* Format() const;

    // Start: checks the name, asks before replacing files, starts the export.
    void OnStart();

    QComboBox* formatList() const { return formatList_; }
    QComboBox* modeList() const { return modeList_; }
    QComboBox* layoutList() const { return layoutList_; }
    QRadioButton* currentFrameButton() const { return currentFrame_; }
    QSpinBox* qualityBox() const { return qualityBox_; }
    QCheckBox* distBox() const { return distBox_; }
    QCheckBox* soundBox() const { return soundBox_; }
    QComboBox* subtitleList() const { return subtitleList_; }
    QComboBox* depthList() const { return depthList_; }
    // A spherical film's viewport size, seen by the camera shown; disabled
    // for a flat film.
    QComboBox* viewList() const { return viewList_; }
    QLineEdit* nameEdit() const { return nameEdit_; }
    QPushButton* browseButton() const { return browseButton_; }
    QPushButton* startButton() const { return startButton_; }
    QPushButton* stopButton() const { return stopButton_; }

signals:
    // An export started by Start has ended (stopped or not).
    void exportFinished();

private:
    void OnFormatChosen();
    void OnNameChanged();
    void OnBrowse();
    void FillSubtitles();

    const CPlexoDoc& doc_;
    double framesPerSecond_;
    FileChooser chooser_;

    QComboBox* formatList_;
    QComboBox* modeList_;
    QComboBox* layoutList_;
    QRadioButton* allFrames_;
    QRadioButton* currentFrame_;
    QSpinBox* qualityBox_;
    QCheckBox* distBox_;
    // Unticked, a video's export drops the film's sound.
    QCheckBox* soundBox_;
    // The subtitles burnt in, each item's data as --subtitles names it
    // (empty for none), and their depth as --subtitle-depth takes it.
    QComboBox* subtitleList_;
    QComboBox* depthList_;
    QComboBox* viewList_;
    QLineEdit* nameEdit_;
    QPushButton* browseButton_;
    QPushButton* startButton_;
    QPushButton* stopButton_;
    QPushButton* closeButton_;
};

}  // namespace plexo
