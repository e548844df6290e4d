#include "app/display_panel.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "platform/log.h"

namespace plexo {

Display::Display(QWidget* owner) : QDialog(owner), edit_(new QPlainTextEdit(this))
{
    setWindowTitle(QStringLiteral("Display Panel"));
    setModal(false);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    edit_->setReadOnly(true);
    edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit_);
    // 186 x 146 dialog units of an 8-point font.
    setFixedSize(280, 238);
    move(0, 0);
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
    platform::SetLogSink([this](const std::string&) {
        QMetaObject::invokeMethod(this, &Display::ShowLog, Qt::QueuedConnection);
    });
}

QString Display::text() const
{
    return edit_->toPlainText();
}

void Display::ShowLog()
{
    const std::string log = platform::LogText();
    // The panel was closed after this message was posted: it went with the rest.
    if (log.empty() && !created_)
        return;
    if (!created_) {
        created_ = true;
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
