#include "app/window/message_box_sink.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QThread>

#include "platform/message_sink.h"

namespace plexo {

namespace {

// In front of the window the user works in, and with the keyboard, so that
// Return closes it at once.
void Present(QMessageBox* box)
{
    box->show();
    box->raise();
    box->activateWindow();
}

// The box is shown without a nested event loop: a message may come from
// inside a paint (a frame whose bitmap is damaged), and a loop there would
// paint again from within the paint. Nor does it block any window, so that
// stopping playback stays one click away while it is open.
//
// It belongs to the modal dialog when one is open (Translate, Settings): the
// dialog blocks the main window, and every window the main window owns, so
// a box of the main window could be neither clicked nor closed with Return.
//
// A repeat of a text whose box is open stacks no second box: the open one
// comes to the front again with a beep, so the user sees that the message
// came again. An open box that the dialog now blocks gives way to one of the
// dialog's.
void ShowBox(QWidget* owner, const QString& text)
{
    if (!owner)
        return;
    QWidget* modal = QApplication::activeModalWidget();
    QWidget* parent = modal ? modal : owner;
    for (QMessageBox* open : owner->findChildren<QMessageBox*>()) {
        if (!open->isVisible() || open->text() != text)
            continue;
        if (open->parentWidget() == parent) {
            QApplication::beep();
            Present(open);
            return;
        }
        open->close();
    }
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Plexo"), text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    Present(box);
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
