#include "app/dialogs/wait_pnl.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/dialog_controls.h"

namespace plexo {

WaitPnl::WaitPnl(QWidget* parent, int tickMs)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Monitor settings"));

    secondsField_ = MakeNumberEdit(this, QStringLiteral("000"));
    secondsField_->setReadOnly(true);
    secondsField_->setFocusPolicy(Qt::NoFocus);
    secondsField_->setAlignment(Qt::AlignRight);
    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setDefault(true);

    auto* countdown = new QHBoxLayout;
    countdown->addWidget(new QLabel(QStringLiteral("Reverting in"), this));
    countdown->addWidget(secondsField_);
    countdown->addWidget(new QLabel(QStringLiteral("seconds."), this));
    countdown->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Do you want to keep these settings?"), this));
    layout->addLayout(countdown);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(okButton_, &QPushButton::clicked, this, &WaitPnl::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &WaitPnl::reject);
    connect(&timer_, &QTimer::timeout, this, &WaitPnl::OnTimer);

    ShowSeconds();
    timer_.start(tickMs);
}

void WaitPnl::OnTimer()
{
    --secondsLeft;
    if (secondsLeft < 1)
        reject();
    ShowSeconds();
}

void WaitPnl::done(int result)
{
    timer_.stop();
    QDialog::done(result);
}

void WaitPnl::ShowSeconds()
{
    secondsField_->setText(QString::number(secondsLeft));
}

}  // namespace plexo
