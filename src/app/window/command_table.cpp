#include "app/window/command_table.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QShortcut>
#include <QWidget>

namespace plexo {

CommandTable::CommandTable(QObject* parent) : QObject(parent) {}

QAction* CommandTable::Action(int id)
{
    auto found = actions_.find(id);
    if (found != actions_.end())
        return found->second;
    auto* action = new QAction(this);
    action->setData(id);
    action->setEnabled(IsEnabled(id));
    connect(action, &QAction::triggered, this, [this, id] {
        Run(id);
        // A checkable action flips its own mark when triggered; the check
        // rule alone decides it.
        Update();
    });
    actions_.emplace(id, action);
    return action;
}

void CommandTable::Define(int id, std::function<void()> handler, Rule enabled, Rule checked)
{
    const bool checkable = bool(checked);
    entries_[id] = Entry{std::move(handler), std::move(enabled), std::move(checked)};
    Action(id)->setCheckable(checkable);
}

void CommandTable::AddToMenu(QMenu& menu, std::initializer_list<int> ids)
{
    for (int id : ids) {
        if (id == 0)
            menu.addSeparator();
        else
            menu.addAction(Action(id));
    }
}

void CommandTable::BindKey(QWidget& window, QKeyCombination key, int id)
{
    auto* shortcut = new QShortcut(QKeySequence(key), &window);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, id] { Run(id); });
    keys_.push_back({key, id});
}

bool CommandTable::HasHandler(int id) const
{
    auto found = entries_.find(id);
    return found != entries_.end() && found->second.handler;
}

bool CommandTable::IsEnabled(int id) const
{
    auto found = entries_.find(id);
    if (found == entries_.end() || !found->second.handler)
        return false;
    return !found->second.enabled || found->second.enabled();
}

bool CommandTable::IsChecked(int id) const
{
    auto found = entries_.find(id);
    return found != entries_.end() && found->second.checked && found->second.checked();
}

bool CommandTable::Run(int id)
{
    if (!IsEnabled(id))
        return false;
    RunPosted(id);
    return true;
}

void CommandTable::RunPosted(int id)
{
    auto found = entries_.find(id);
    if (found == entries_.end() || !found->second.handler)
        return;
    // Copied: a handler may redefine commands while it runs.
    const std::function<void()> handler = found->second.handler;
    handler();
    emit commandRan(id);
}

void CommandTable::Update()
{
    for (auto& [id, action] : actions_) {
        action->setEnabled(IsEnabled(id));
        if (action->isCheckable())
            action->setChecked(IsChecked(id));
    }
}

}  // namespace plexo
