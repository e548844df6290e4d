#include "app/dialogs/screen_pnl.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/dialog_controls.h"
#include "app/dialogs/wait_pnl.h"
#include "present/mode_switch.h"

namespace plexo {

ScreenPnl::ScreenPnl(StartupModes& startup, QWidget* parent)
    : QDialog(parent), startup_(startup)
{
    setWindowTitle(QStringLiteral("Screen"));

    modeList_ = new QComboBox(this);
    modeList_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    modeList_->setMaxVisibleItems(12);
    applyButton_ = new QPushButton(QStringLiteral("Apply"), this);
    applyButton_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(applyButton_);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(modeList_);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(applyButton_, &QPushButton::clicked, this, &ScreenPnl::OnApply);
    connect(cancel, &QPushButton::clicked, this, &ScreenPnl::reject);

    FillList();
}

void ScreenPnl::FillList()
{
    modes_ = DisplayModeList(platform::ReadDisplayModes());
    for (const Item4i& item : modes_.items())
        modeList_->addItem(QString::fromStdString(ModeLabel(item.mode)));
    SelectIndex(modeList_, modes_.IndexOf(platform::ReadCurrentMode()));
}

void ScreenPnl::OnApply()
{
    const ModeSwitch outcome = SwitchToListedMode(modes_, modeList_->currentIndex(), [this] {
        WaitPnl wait(this, waitTickMs);
        return wait.exec() == QDialog::Accepted;
    }, startup_);
    SelectIndex(modeList_, outcome.selection);
}

}  // namespace plexo
