#include "app/dialogs/trans_pnl_spin.h"

#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace plexo {

namespace {

QToolButton* MakeArrow(QWidget* parent, Qt::ArrowType arrow)
{
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    return button;
}

}  // namespace

UpDownControl::UpDownControl(QWidget* parent)
    : QWidget(parent),
      up_(MakeArrow(this, Qt::UpArrow)),
      down_(MakeArrow(this, Qt::DownArrow))
{
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up_);
    layout->addWidget(down_);
    connect(up_, &QToolButton::clicked, this, [this] { emit stepped(-1); });
    connect(down_, &QToolButton::clicked, this, [this] { emit stepped(1); });
}

void UpDownControl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up)
        emit stepped(-1);
    else if (event->key() == Qt::Key_Down)
        emit stepped(1);
    else
        QWidget::keyPressEvent(event);
}

}  // namespace plexo
