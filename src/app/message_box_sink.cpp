#include "app/message_box_sink.h"

#include <QMessageBox>
#include <QPointer>
#include <QThread>

#include "platform/message_sink.h"

namespace plexo {

namespace {

void ShowBox(QWidget* owner, const QString& text)
{
    QMessageBox::warning(owner, QStringLiteral("Plexo"), text, QMessageBox::Ok);
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
