#pragma once
// A spin control without a buddy: two arrow buttons (and the arrow keys)
// that only report a step. Like an up-down control with its default range,
// running from 100 at the bottom to 0 at the top, the up arrow reports a
// change of -1 and the down arrow +1.

#include <QWidget>

class QToolButton;

namespace plexo {

class UpDownControl : public QWidget {
    Q_OBJECT
public:
    explicit UpDownControl(QWidget* parent = nullptr);

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

signals:
    void stepped(int change);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace plexo
