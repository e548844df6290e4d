#pragma once
// ScreenPnl, "Screen": lists the display's modes with the current one
// selected; Apply switches to the chosen one, asks WaitPnl whether to keep
// it, and stays open so that the user can apply again.

#include <QDialog>

#include "present/display_modes.h"
#include "present/startup_modes.h"

class QComboBox;
class QPushButton;

namespace plexo {

class ScreenPnl : public QDialog {
    Q_OBJECT
public:
    // A switch keeps the output's start-up mode in `startup` first.
    explicit ScreenPnl(StartupModes& startup, QWidget* parent = nullptr);

    // The Apply button.
    void OnApply();

    // The confirmation's countdown tick; tests shorten it.
    int waitTickMs = 1000;

    const DisplayModeList& modes() const { return modes_; }
    QComboBox* modeList() const { return modeList_; }
    QPushButton* applyButton() const { return applyButton_; }

private:
    void FillList();

    StartupModes& startup_;
    DisplayModeList modes_;
    QComboBox* modeList_ = nullptr;
    QPushButton* applyButton_ = nullptr;
};

}  // namespace plexo
