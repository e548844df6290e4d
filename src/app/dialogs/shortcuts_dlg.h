#pragma once
// Help > Keyboard Shortcuts: every key the command table binds to a command
// that does something, with the command's name as its menu item gives it.

#include <QDialog>

class QTableWidget;

namespace plexo {

class CommandTable;

class ShortcutsDlg : public QDialog {
    Q_OBJECT

public:
    ShortcutsDlg(CommandTable& commands, QWidget* parent);

    QTableWidget* table() const { return table_; }

private:
    QTableWidget* table_;
};

// The command's menu text without its mnemonic and key, else its prompt, else
// the name of a command that only a key raises.
QString CommandName(CommandTable& commands, int id);

}  // namespace plexo
