#pragma once
// What the Translate and the Export Stereo dialogs share below their forms:
// the run on its own thread, its progress bar and the label with the time
// left and, once it ended, how it ended; and the question before a run
// replaces files.

#include <QDialog>
#include <QElapsedTimer>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "app/dialogs/conversion_run.h"

class QLabel;
class QLayout;
class QProgressBar;
class QPushButton;

namespace plexo {

class RunPanel : public QWidget {
    Q_OBJECT
public:
    // Start is disabled and Stop enabled while a run goes; Stop asks it to end.
    RunPanel(QWidget* parent, QPushButton* start, QPushButton* stop);
    ~RunPanel() override;

    // Starts `job` on its thread; nothing while a run goes.
    void Run(ConversionRun::Job job);
    bool Running() const { return run_ != nullptr; }
    // Ends the run like a write failure and waits for it: the dialog closes.
    void EndRun();

    // For tests: runs started from now on wait after writing this frame
    // until they are stopped; 0 lets them run through.
    void HoldRunsAfterFrame(int frame) { holdAfterFrame_ = frame; }

    QProgressBar* bar() const { return bar_; }
    QLabel* label() const { return label_; }

signals:
    // A run has ended, stopped or not; the label says how.
    void ended();

private:
    void OnProgress(int done, int total);
    void OnEnded();

    QPushButton* start_;
    QPushButton* stop_;
    QProgressBar* bar_;
    QLabel* label_;
    QElapsedTimer clock_;
    std::unique_ptr<ConversionRun> run_;
    int holdAfterFrame_ = 0;
    int framesWritten_ = 0;  // by the running or last run
};

// A dialog that runs its work in a RunPanel: closing it ends the run.
class RunDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

    bool Running() const { return runPanel_->Running(); }
    // For tests: runs started from now on wait after writing this frame
    // until they are stopped; 0 lets them run through.
    void HoldRunsAfterFrame(int frame) { runPanel_->HoldRunsAfterFrame(frame); }
    QProgressBar* progressBar() const { return runPanel_->bar(); }
    QLabel* progressLabel() const { return runPanel_->label(); }

    void reject() override;

protected:
    // Lays the dialog out: its form, the run panel under it, then Start and
    // Stop on the left and the closing button on the right, which rejects.
    void LayOut(QLayout* form, QPushButton* start, QPushButton* stop, QPushButton* close);

    // Made by LayOut.
    RunPanel* runPanel_ = nullptr;
};

// Asks once, Cancel the default, before a run replaces `existing` (its files
// that exist now, in the order of writing); `run` names the run in the
// question: "conversion". True when there is nothing to replace or the user
// chose Replace.
bool MayReplace(QWidget* parent, const std::vector<std::string>& existing, const char* run);

}  // namespace plexo
