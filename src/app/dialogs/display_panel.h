#pragma once
// The message log panel: a modeless window that shows the process's one log
// text (platform/log.h), opened by the first message (never by a note) and
// emptied when the user closes it.

#include <QDialog>
#include <QPointer>

class QPlainTextEdit;

namespace plexo {

// The panel belongs to no window, so that a dialog that blocks the main
// window (Translate, whose conversions report here) leaves it usable; whoever
// makes it owns it. It opens beside `mainWindow` where it covers neither that
// window's menu bar nor an open dialog, and it does not keep the program
// running once the main window has closed.
class Display : public QDialog {
    Q_OBJECT

public:
    explicit Display(QWidget* mainWindow);
    ~Display() override;

    // Makes this panel the one that shows every LogMessage. Messages may come
    // from any thread; they are shown in their order on the user-interface
    // thread.
    void InstallLogSink();
    // View > Message Log: the panel with the log so far, even an empty one.
    void Open();

    // Whether the panel has been opened since the log was last cleared.
    bool created() const { return created_; }
    QString text() const;

    // Every way off the screen (close button, Esc, Enter) ends here, so that
    // a hidden panel is always an emptied one that the next message reopens.
    void done(int result) override;

    // Where the panel opens: the first of beside the main window on the
    // right, on the left, and the lower right corner of the screen's free
    // area, that keeps clear of `avoid`; the corner when none does.
    static QPoint PlaceBeside(const QRect& available, const QRect& mainWindow, const QSize& panel,
                              const QList<QRect>& avoid);

private:
    // The log into the panel; `open` opens a closed panel for it.
    void ShowLog(bool open);
    void Place();

    QPointer<QWidget> mainWindow_;
    QPlainTextEdit* edit_;
    bool created_ = false;
    bool sinkInstalled_ = false;
};

}  // namespace plexo
