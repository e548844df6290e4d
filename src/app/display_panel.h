#pragma once
// The message log panel: a modeless window that shows the process's one log
// text (platform/log.h), opened by the first message and emptied when the user
// closes it.

#include <QDialog>

class QPlainTextEdit;

namespace plexo {

class Display : public QDialog {
    Q_OBJECT

public:
    explicit Display(QWidget* owner);
    ~Display() override;

    // Makes this panel the one that shows every LogMessage. Messages may come
    // from any thread; they are shown in their order on the user-interface
    // thread.
    void InstallLogSink();

    // Whether the panel has been opened since the log was last cleared.
    bool created() const { return created_; }
    QString text() const;

    // Every way off the screen (close button, Esc, Enter) ends here, so that
    // a hidden panel is always an emptied one that the next message reopens.
    void done(int result) override;

private:
    void ShowLog();

    QPlainTextEdit* edit_;
    bool created_ = false;
    bool sinkInstalled_ = false;
};

}  // namespace plexo
