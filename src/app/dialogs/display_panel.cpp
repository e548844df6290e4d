#include "app/dialogs/display_panel.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/log.h"

namespace plexo {

Display::Display(QWidget* mainWindow) : QDialog(nullptr), mainWindow_(mainWindow), edit_(new QPlainTextEdit(this))
{
    setAttribute(Qt::WA_QuitOnClose, false);
    // A message must not take the keyboard from the window the user works in.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Display Panel"));
    setModal(false);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    edit_->setReadOnly(true);
    // A line is read whole at any width: the messages name long paths, which
    // wrap where no space falls.
    edit_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    edit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit_);
    // 186 x 146 dialog units of an 8-point font at first; the user sizes it.
    setMinimumSize(160, 120);
    resize(280, 238);
}

QPoint Display::PlaceBeside(const QRect& available, const QRect& mainWindow, const QSize& panel,
                            const QList<QRect>& avoid)
{
    const auto inside = [&](QPoint at) {
        at.setX(std::clamp(at.x(), available.left(), std::max(available.left(), available.right() + 1 - panel.width())));
        at.setY(std::clamp(at.y(), available.top(), std::max(available.top(), available.bottom() + 1 - panel.height())));
        return at;
    };
    const QPoint corner = inside(available.bottomRight());
    for (const QPoint at : {inside(QPoint(mainWindow.right() + 1, mainWindow.top())),
                            inside(QPoint(mainWindow.left() - panel.width(), mainWindow.top())), corner}) {
        const QRect place(at, panel);
        if (std::none_of(avoid.begin(), avoid.end(), [&](const QRect& r) { return r.intersects(place); }))
            return at;
    }
    return corner;
}

void Display::Place()
{
    QWidget* main = mainWindow_.data();
    if (!main || !main->screen())
        return;
    QList<QRect> avoid;
    if (auto* window = qobject_cast<QMainWindow*>(main); window && window->menuBar()->isVisible())
        avoid.append(QRect(window->menuBar()->mapToGlobal(QPoint(0, 0)), window->menuBar()->size()));
    if (QWidget* dialog = QApplication::activeModalWidget())
        avoid.append(dialog->frameGeometry());
    // The frame's decorations are added by the window manager around the
    // panel's own size; half a title bar of room is left for them.
    const QSize outer = size() + QSize(8, 32);
    move(PlaceBeside(main->screen()->availableGeometry(), main->frameGeometry(), outer, avoid));
}

Display::~Display()
{
    if (sinkInstalled_)
        platform::SetLogSink({});
}

void Display::InstallLogSink()
{
    sinkInstalled_ = true;
    // The sink runs under the log's lock, on whichever thread logged, so it
    // only posts; the panel then reads the whole log on its own thread.
    // Queued calls run in the order they were posted.
    platform::SetLogSink([this](const std::string&, platform::LogLine kind) {
        QMetaObject::invokeMethod(this, [this, kind] { ShowLog(kind == platform::LogLine::Message); },
                                  Qt::QueuedConnection);
    });
}

void Display::Open()
{
    if (!created_) {
        created_ = true;
        Place();
        show();
    }
    ShowLog(true);
    raise();
}

QString Display::text() const
{
    return edit_->toPlainText();
}

void Display::ShowLog(bool open)
{
    const std::string log = platform::LogText();
    // The panel was closed after this message was posted: it went with the
    // rest. A note waits in the log for the panel to open.
    if ((log.empty() || !open) && !created_)
        return;
    if (!created_) {
        created_ = true;
        Place();
        show();
    }
    QString text = QString::fromStdString(log);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    edit_->setPlainText(text);
    QScrollBar* bar = edit_->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void Display::done(int result)
{
    QDialog::done(result);
    platform::ClearLog();
    edit_->clear();
    created_ = false;
}

}  // namespace plexo
