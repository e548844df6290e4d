#pragma once
// WaitPnl, "Monitor settings": asks whether to keep a new display mode and
// counts down from 16 seconds. Only OK keeps it; Cancel (the default button),
// Esc and the end of the countdown end the dialog rejected.

#include <QDialog>
#include <QTimer>

#include <cstdint>

class QLineEdit;
class QPushButton;

namespace plexo {

class WaitPnl : public QDialog {
    Q_OBJECT
public:
    // One second a tick; tests pass a shorter tick.
    explicit WaitPnl(QWidget* parent = nullptr, int tickMs = 1000);

    int32_t secondsLeft = 16;

    // One tick of the countdown.
    void OnTimer();
    void done(int result) override;

    QLineEdit* secondsField() const { return secondsField_; }
    QPushButton* okButton() const { return okButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

private:
    void ShowSeconds();

    QLineEdit* secondsField_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QTimer timer_;
};

}  // namespace plexo
