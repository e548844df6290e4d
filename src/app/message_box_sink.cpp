#include "app/message_box_sink.h"

#include <QMessageBox>
#include <QPointer>
#include <QThread>

#include "platform/message_sink.h"

namespace plexo {

namespace {

// The box is window-modal but opened without a nested event loop: a message
// may come from inside a paint (a frame whose bitmap is damaged), and a loop
// there would paint again from within the paint. While a box with the same
// text is open, a repeat is dropped, so a damaged frame met on every playback
// tick does not stack up boxes.
void ShowBox(QWidget* owner, const QString& text)
{
    if (!owner)
        return;
    for (const QMessageBox* open : owner->findChildren<QMessageBox*>())
        if (open->isVisible() && open->text() == text)
            return;
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Plexo"), text, QMessageBox::Ok, owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
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
