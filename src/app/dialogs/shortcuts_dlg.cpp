#include "app/dialogs/shortcuts_dlg.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeySequence>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/window/command_ids.h"
#include "app/window/command_table.h"

namespace plexo {

namespace {

struct KeyOnlyName {
    int id;
    const char* name;
};

// Commands that no menu shows.
constexpr KeyOnlyName kKeyOnlyNames[] = {
    {kCmdLeaveStereo, "Leave stereo"},
    {kCmdPlayOrLeaveStereo, "Play or stop; leave stereo"},
    {kCmdFileNew, "New"},
    {kCmdFileOpen, "Open"},
    {kCmdFilePrint, "Print"},
};

}  // namespace

QString CommandName(CommandTable& commands, int id)
{
    const QAction* action = commands.Action(id);
    QString text = action->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
    if (text.endsWith(QStringLiteral("...")))
        text.chop(3);
    if (!text.isEmpty())
        return text;
    if (!action->statusTip().isEmpty())
        return action->statusTip();
    for (const KeyOnlyName& entry : kKeyOnlyNames)
        if (entry.id == id)
            return QString::fromUtf8(entry.name);
    return {};
}

ShortcutsDlg::ShortcutsDlg(CommandTable& commands, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Keyboard Shortcuts"));
    table_ = new QTableWidget(0, 2, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("Key"), QStringLiteral("Command")});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (const CommandTable::KeyBinding& binding : commands.keys()) {
        if (!commands.HasHandler(binding.id))
            continue;
        const int row = table_->rowCount();
        table_->insertRow(row);
        table_->setItem(row, 0, new QTableWidgetItem(QKeySequence(binding.key).toString(QKeySequence::NativeText)));
        table_->setItem(row, 1, new QTableWidgetItem(CommandName(commands, binding.id)));
    }
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->resizeColumnsToContents();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addWidget(table_);
    column->addWidget(buttons);
    resize(420, 480);
}

}  // namespace plexo
