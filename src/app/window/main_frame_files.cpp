// The main frame's file commands: Load, Add, New, Open, Save As and Print.

#include <QFileInfo>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include "app/view/plexo_view.h"
#include "app/window/command_ids.h"
#include "app/window/main_frame.h"
#include "app/window/viewer_commands.h"
#include "doc/document.h"

namespace plexo {

void CMainFrame::DefineFileCommands()
{
    CommandTable& t = commands_;
    t.Define(kCmdLoad, [this] { OnLoad(); });
    t.Define(kCmdAdd, [this] { OnAdd(); }, [this] { return doc_.CanAddFilm(); });
    t.Define(kCmdSaveAs, [this] { OnSaveAs(); }, [this] { return doc_.CanSaveAs(); });
    t.Define(kCmdFileNew, [this] { SetDocumentTitle(QStringLiteral("Untitled")); });
    t.Define(kCmdFileOpen, [this] { OnOpen(); });
    t.Define(kCmdFilePrint, [this] { OnPrint(); });
}

void CMainFrame::OnLoad()
{
    const QString path = chooseFile(this, LoadRequest());
    if (path.isEmpty())
        return;
    const bool opened = doc_.LoadFilm(path.toStdString());
    viewer_->FilmOpened(path, true, opened);
}

void CMainFrame::OnAdd()
{
    const QString path = chooseFile(this, LoadRequest());
    if (path.isEmpty())
        return;
    const bool opened = doc_.AddFilm(path.toStdString());
    viewer_->FilmOpened(path, false, opened);
}

void CMainFrame::OnOpen()
{
    // Any file at all: the open-from-file path reads it as a film file.
    const QString path = chooseFile(this, FileRequest{});
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

void CMainFrame::OnSaveAs()
{
    const QString path = chooseFile(this, SaveAsRequest());
    if (!path.isEmpty())
        doc_.SaveAs(path.toStdString());
}

void CMainFrame::OnPrint()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The view as it stands, as large as the page allows without distortion:
    // one picture pixel to one printer dot would be a postage stamp.
    const QPixmap picture = view_->grab();
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    const QRect page = painter.viewport();
    const QSize size = picture.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.drawPixmap(QRect(page.topLeft(), size), picture);
}

}  // namespace plexo
