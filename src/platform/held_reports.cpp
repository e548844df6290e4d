#include "platform/held_reports.h"

#include <utility>

#include "platform/log.h"
#include "platform/message_sink.h"

namespace plexo::platform {

namespace {
thread_local HeldReports* threadHold = nullptr;
}  // namespace

void HeldReports::Release()
{
    for (const Report& report : std::exchange(reports_, {})) {
        if (report.message)
            ShowMessage(report.text);
        else
            LogMessage(report.text);
    }
}

ReportHold::ReportHold(HeldReports& held) : previous_(std::exchange(threadHold, &held)) {}

ReportHold::~ReportHold() { threadHold = previous_; }

HeldReports* ThreadHold() { return threadHold; }

}  // namespace plexo::platform
