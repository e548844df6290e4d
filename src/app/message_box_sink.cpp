#include "app/message_box_sink.h"

#include <QMessageBox>
#include <QPointer>
#include <QThread>

#include "platform/message_sink.h"

namespace plexo {

namespace {

// The box is shown without a nested event loop: a message may come from
// inside a paint (a frame whose bitmap is damaged), and a loop there would
// paint again from within the paint. Nor does it block the main window, so
// that stopping playback stays one click away while it is open. While a box
// with the same text is open, a repeat is dropped.
void ShowBox(QWidget* owner, const QString& text)
{
    if (!owner)
        return;
    for (const QMessageBox* open : owner->findChildren<QMessageBox*>())
        if (open->isVisible() && open->text() == text)
            return;
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Plexo"), text, QMessageBox::Ok, owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

}  // namespace

void InstallMessageBoxSink(QWidget* owner)
{
    QPointer<QWidget> guard(owner);
    platform::SetMessageSink([guard](const std::string& message) {
        QWidget* window = guard.data();
        if (!window)
            return;
        const QString text = QString::fromStdString(message);
        if (QThread::currentThread() == window->thread())
            ShowBox(window, text);
        else
            QMetaObject::invokeMethod(window, [guard, text] { ShowBox(guard.data(), text); }, Qt::QueuedConnection);
    });
}

void RemoveMessageBoxSink()
{
    platform::SetMessageSink({});
}

}  // namespace plexo
