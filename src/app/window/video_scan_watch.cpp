#include "app/window/video_scan_watch.h"

#include <QDialog>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>

namespace plexo {

namespace {

// The bar's steps.
constexpr int kBarSteps = 1000;

// Stays until the scan ends: closed early, it would give the window back to
// commands while the document is still opening the film.
class ScanDialog : public QDialog {
public:
    using QDialog::QDialog;
    void reject() override {}
};

}  // namespace

VideoScanWatch::VideoScanWatch(QWidget* window) : QObject(window), window_(window)
{
    video::SetScanWatcher(this);
}

VideoScanWatch::~VideoScanWatch()
{
    if (video::CurrentScanWatcher() == this)
        video::SetScanWatcher(nullptr);
}

// The worker's calls are queued to the window's thread in the order made, so
// the last progress is shown before the end.
void VideoScanWatch::Progress(int64_t done, int64_t total)
{
    QMetaObject::invokeMethod(this, [this, done, total] { Show(done, total); }, Qt::QueuedConnection);
}

void VideoScanWatch::Ended()
{
    QMetaObject::invokeMethod(this, [this] { Finish(); }, Qt::QueuedConnection);
}

void VideoScanWatch::Wait(const std::string& path)
{
    path_ = QString::fromStdString(path);
    ended_ = false;
    ScanDialog dialog(window_);
    dialog.setWindowTitle(QStringLiteral("Opening a video"));
    dialog.setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(QStringLiteral("Counting the frames of %1").arg(QFileInfo(path_).fileName()), &dialog);
    auto* bar = new QProgressBar(&dialog);
    bar->setRange(0, kBarSteps);
    bar->setValue(0);
    bar->setMinimumWidth(300);
    layout->addWidget(label);
    layout->addWidget(bar);
    dialog_ = &dialog;
    label_ = label;
    bar_ = bar;
    dialog.show();
    QEventLoop loop;
    loop_ = &loop;
    // The end may have been handled already while the dialog was shown.
    if (!ended_)
        loop.exec();
    loop_ = nullptr;
    dialog_ = nullptr;
    label_ = nullptr;
    bar_ = nullptr;
    emit finished();
}

void VideoScanWatch::Show(qint64 done, qint64 total)
{
    if (bar_) {
        // A length the file does not give makes the bar a busy one.
        if (total > 0)
            bar_->setValue(int(std::clamp<qint64>(done * kBarSteps / total, 0, kBarSteps)));
        else
            bar_->setRange(0, 0);
    }
    emit progressed(path_, done, total);
}

void VideoScanWatch::Finish()
{
    ended_ = true;
    if (loop_)
        loop_->quit();
}

void ShowScansIn(VideoScanWatch& watch, QStatusBar& bar)
{
    QObject::connect(&watch, &VideoScanWatch::progressed, &bar, [&bar](const QString& path, qint64 done, qint64 total) {
        const QString counting = QStringLiteral("Counting the frames of %1").arg(QFileInfo(path).fileName());
        bar.showMessage(total > 0 ? counting + QStringLiteral(": %1%").arg(done * 100 / total) : counting);
    });
    QObject::connect(&watch, &VideoScanWatch::finished, &bar, &QStatusBar::clearMessage);
}

}  // namespace plexo
