#pragma once
// Messages and log lines that one thread holds back for another to pass on
// later, in the order they came. A conversion's workers make frames ahead of
// their turn; what a frame reports is passed on when the frame is put and
// dropped when the run ends before it, so that what the user sees is what a
// walk on one thread shows.

#include <string>
#include <vector>

#include "platform/log.h"

namespace plexo::platform {

class HeldReports {
public:
    // Shows the messages and logs the lines held, in their order, on the
    // calling thread, and empties the hold.
    // Reports never released are dropped with the hold.
    void Release();

    void HoldMessage(const std::string& text) { reports_.push_back({Kind::Message, text}); }
    void HoldLogLine(const std::string& text, LogLine line)
    {
        reports_.push_back({line == LogLine::Note ? Kind::LogNote : Kind::LogLine, text});
    }
    // A failure noted (failure_note.h) of the file at `path`.
    void HoldFailure(const std::string& path, const std::string& reason)
    {
        reports_.push_back({Kind::Failure, path, reason});
    }

private:
    enum class Kind { Message, LogLine, LogNote, Failure };
    struct Report {
        Kind kind;
        std::string text;
        std::string reason = {};
    };
    std::vector<Report> reports_;
};

// While it lives, ShowMessage, LogMessage and NoteFailure on the thread that
// made it go into `held` instead of to their sinks.
class ReportHold {
public:
    explicit ReportHold(HeldReports& held);
    ~ReportHold();
    ReportHold(const ReportHold&) = delete;
    ReportHold& operator=(const ReportHold&) = delete;

private:
    HeldReports* previous_;
};

// The hold of the calling thread, or null.
HeldReports* ThreadHold();

}  // namespace plexo::platform
