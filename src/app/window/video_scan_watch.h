#pragma once
// The viewer's watch over the scan of a video that states no frame count:
// while the worker reads the file, a small dialog modal to the main window
// shows the file's name and a bar, and the window's thread goes on handling
// events (it paints, the dialog moves) instead of waiting frozen.

#include <QObject>
#include <QString>

#include <string>

#include "video/scan_watch.h"

class QDialog;
class QEventLoop;
class QLabel;
class QProgressBar;
class QStatusBar;
class QWidget;

namespace plexo {

class VideoScanWatch : public QObject, public video::ScanWatcher {
    Q_OBJECT
public:
    // Watches every scan from now on, its dialog modal to `window`; no
    // longer once destroyed.
    explicit VideoScanWatch(QWidget* window);
    ~VideoScanWatch() override;

    void Progress(int64_t done, int64_t total) override;
    void Ended() override;
    void Wait(const std::string& path) override;

    // Shown while a scan runs, else null.
    QDialog* dialog() const { return dialog_; }
    QLabel* label() const { return label_; }
    QProgressBar* bar() const { return bar_; }

signals:
    // On the window's thread while a scan runs: the file, the bytes read and
    // the file's length (-1 when unknown), for whatever else shows progress.
    void progressed(const QString& path, qint64 done, qint64 total);
    // Once the scan has ended and its dialog is gone.
    void finished();

private:
    void Show(qint64 done, qint64 total);
    void Finish();

    QWidget* window_;
    QString path_;
    QDialog* dialog_ = nullptr;
    QLabel* label_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QEventLoop* loop_ = nullptr;
    bool ended_ = false;
};

// The status bar tells the progress of `watch`'s scans too, over its fields
// until each ends.
void ShowScansIn(VideoScanWatch& watch, QStatusBar& bar);

}  // namespace plexo
