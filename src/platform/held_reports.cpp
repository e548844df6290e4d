#include "platform/held_reports.h"

#include <utility>

#include "platform/failure_note.h"
#include "platform/log.h"
#include "platform/message_sink.h"

namespace plexo::platform {

namespace {
thread_local HeldReports* threadHold = nullptr;
}  // namespace

void HeldReports::Release()
{
    for (const Report& report : std::exchange(reports_, {})) {
        if (report.kind == Kind::Message)
            ShowMessage(report.text);
        else if (report.kind == Kind::LogLine)
            LogMessage(report.text);
        else if (report.kind == Kind::LogNote)
            LogNote(report.text);
        else
            NoteFailure(report.text, report.reason);
    }
}

ReportHold::ReportHold(HeldReports& held) : previous_(std::exchange(threadHold, &held)) {}

ReportHold::~ReportHold() { threadHold = previous_; }

HeldReports* ThreadHold() { return threadHold; }

}  // namespace plexo::platform
