#include "app/dialogs/dialog_controls.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>

#include "platform/message_sink.h"

namespace plexo {

QComboBox* MakeList(QWidget* parent, const QStringList& items)
{
    auto* list = new QComboBox(parent);
    list->addItems(items);
    return list;
}

void SelectIndex(QComboBox* list, int32_t index)
{
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

QLineEdit* MakeNumberEdit(QWidget* parent, const QString& widest)
{
    auto* edit = new QLineEdit(parent);
    edit->setFixedWidth(QFontMetrics(edit->font()).horizontalAdvance(widest) + 12);
    return edit;
}

bool RefuseField(QLineEdit* edit, const char* message)
{
    platform::ShowMessage(message);
    edit->setFocus();
    edit->selectAll();
    return false;
}

}  // namespace plexo
