#pragma once
// The one table through which every command runs: per command id one
// handler, one enabling rule and, for toggles, one check rule. Menus, toolbar
// buttons and keys all raise a command by its id; a command without a handler
// stays disabled.

#include <QKeyCombination>
#include <QObject>

#include <functional>
#include <initializer_list>
#include <map>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace plexo {

class CommandTable : public QObject {
    Q_OBJECT

public:
    using Rule = std::function<bool()>;

    explicit CommandTable(QObject* parent = nullptr);

    // The action that stands for the command in menus and on the toolbar;
    // made on first use, parented to the table.
    QAction* Action(int id);

    // Gives a command its handler and rules. No enabling rule means always
    // enabled; a check rule makes the action checkable.
    void Define(int id, std::function<void()> handler, Rule enabled = {}, Rule checked = {});
    bool HasHandler(int id) const;

    // Runs the command as a menu, a button or a key does: only when enabled.
    bool Run(int id);
    // Runs the handler without asking the enabling rule, as a command posted
    // to the frame by start-up does.
    void RunPosted(int id);

    // Adds the commands' actions to `menu` in order; 0 stands for a separator.
    void AddToMenu(QMenu& menu, std::initializer_list<int> ids);

    // A key anywhere in `window` runs the command as its menu item would.
    void BindKey(QWidget& window, QKeyCombination key, int id);
    struct KeyBinding {
        QKeyCombination key;
        int id;
    };
    // Every key bound, in the order bound: what Help > Keyboard Shortcuts lists.
    const std::vector<KeyBinding>& keys() const { return keys_; }

    bool IsEnabled(int id) const;
    bool IsChecked(int id) const;

    // Evaluates every rule and shows the result on the actions.
    void Update();

signals:
    // After every command that ran, so that the owner can refresh its state.
    void commandRan(int id);

private:
    struct Entry {
        std::function<void()> handler;
        Rule enabled;
        Rule checked;
    };

    std::map<int, Entry> entries_;
    std::map<int, QAction*> actions_;
    std::vector<KeyBinding> keys_;
};

}  // namespace plexo
