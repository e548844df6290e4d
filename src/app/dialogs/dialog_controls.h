#pragma once
// The controls both parameter dialogs build alike: drop-down lists shown by
// index, number edits sized for their widest text, and the refusal of an edit
// whose text is not a number.

#include <QStringList>

#include <cstdint>

class QComboBox;
class QLineEdit;
class QWidget;

namespace plexo {

QComboBox* MakeList(QWidget* parent, const QStringList& items);

// An index the list can show; anything else leaves it without a selection.
void SelectIndex(QComboBox* list, int32_t index);

// Wide enough for `widest` in the edit's font plus its frame.
QLineEdit* MakeNumberEdit(QWidget* parent, const QString& widest);

// Shows the validation message, puts the input focus on the edit with its
// text selected, and returns false, so that the user can retype at once.
bool RefuseField(QLineEdit* edit, const char* message);

}  // namespace plexo
