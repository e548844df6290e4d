#pragma once
// The file dialogs of Load, Add, Open and Save As, described as requests so
// that the window tests can answer them without a dialog on the screen.

#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

#include "doc/open_dialog_filter.h"

class QWidget;

namespace plexo {

struct FileRequest {
    bool save = false;
    // The dialog's title; empty leaves the platform's own.
    QString title;
    QStringList nameFilters;
    // Index into nameFilters; -1 for the first.
    int selectedFilter = -1;
    // Appended to a name typed without an extension (Save As only) while the
    // first type is chosen; the extension of the type chosen otherwise.
    QString defaultSuffix;
};

// Returns the chosen full path, or an empty string when the user cancelled.
using FileChooser = std::function<QString(QWidget* parent, const FileRequest& request)>;

// The Qt file dialog for a request; it starts in the current directory and
// makes a chosen file's folder the current directory, so that the next
// dialog, and the next run, start there too.
QString RunFileDialog(QWidget* parent, const FileRequest& request);

// Turns filter entries into Qt name filters. Qt reads the patterns from the
// parentheses, separated by blanks, so "All supported Files (*.bmp;*.flm)"
// becomes "All supported Files (*.bmp *.BMP *.flm *.FLM)": the upper-case
// twins because file names are matched case-sensitively here.
QStringList NameFilters(const std::vector<FileType>& entries);

// Load and Add: BMP, film and JPEG files with all of them preselected.
FileRequest LoadRequest();
// Save As: BMP or JPEG, "bmp" when no extension is typed.
FileRequest SaveAsRequest();
// Save View As: Save As's types under the title "Save View As".
FileRequest SaveViewAsRequest();

}  // namespace plexo
