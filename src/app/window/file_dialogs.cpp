#include "app/window/file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

#include "doc/open_dialog_filter.h"

namespace plexo {

namespace {

// "BMP files (*.bmp)" gives "BMP files"; a description without patterns stays.
QString DescriptionOnly(const QString& description)
{
    const int open = description.lastIndexOf(QLatin1Char('('));
    if (open > 0 && description.endsWith(QLatin1Char(')')))
        return description.left(open).trimmed();
    return description.trimmed();
}

QString QtPatterns(const QString& patterns)
{
    QStringList out;
    for (const QString& pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        out << pattern;
        if (pattern.toUpper() != pattern)
            out << pattern.toUpper();
    }
    return out.join(QLatin1Char(' '));
}

}  // namespace

QStringList NameFilters(const std::vector<FileType>& entries)
{
    QStringList filters;
    for (const FileType& entry : entries)
        filters << DescriptionOnly(QString::fromStdString(entry.description)) + QStringLiteral(" (")
                       + QtPatterns(QString::fromStdString(entry.pattern)) + QLatin1Char(')');
    return filters;
}

FileRequest LoadRequest()
{
    const OpenDialogFilter filter = MakeOpenDialog(FilmFileTypes(), true);
    FileRequest request;
    request.nameFilters = NameFilters(filter.entries);
    // Counted from 1 there, with 0 for none.
    request.selectedFilter = filter.selected - 1;
    return request;
}

FileRequest SaveAsRequest()
{
    FileRequest request;
    request.save = true;
    const std::vector<FileType>& types = SaveFrameTypes();
    request.nameFilters = NameFilters(types);
    // "*.bmp" gives "bmp".
    request.defaultSuffix = QString::fromStdString(types.front().pattern.substr(2));
    return request;
}

FileRequest SaveViewAsRequest()
{
    FileRequest request = SaveAsRequest();
    request.title = QStringLiteral("Save View As");
    return request;
}

QString RunFileDialog(QWidget* parent, const FileRequest& request)
{
    QFileDialog dialog(parent, request.title, QDir::currentPath());
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.nameFilters.isEmpty())
        dialog.setNameFilters(request.nameFilters);
    if (request.selectedFilter >= 0 && request.selectedFilter < request.nameFilters.size())
        dialog.selectNameFilter(request.nameFilters[request.selectedFilter]);
    dialog.setDefaultSuffix(request.defaultSuffix);
    // A name typed without an extension takes the chosen type's: "JPEG
    // files" saves a JPEG.
    if (!request.defaultSuffix.isEmpty())
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            const QRegularExpressionMatch pattern = QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter);
            if (pattern.hasMatch())
                dialog.setDefaultSuffix(pattern.captured(1));
        });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString chosen = dialog.selectedFiles().first();
    QDir::setCurrent(QFileInfo(chosen).absolutePath());
    return chosen;
}

}  // namespace plexo
