#include "platform/log.h"

#include <mutex>
#include <utility>

#include "platform/held_reports.h"

namespace plexo {

namespace {
struct Log {
    // Recursive so that a sink may read LogText() while it is being told of a
    // message. Holding the lock across the sink call keeps the sink's calls in
    // the order in which the messages reached the text.
    std::recursive_mutex mutex;
    std::string text;
    platform::LogSink sink;
};

Log& TheLog()
{
    static Log log;
    return log;
}
}  // namespace

namespace {

void Append(const std::string& text, platform::LogLine kind)
{
    if (platform::HeldReports* held = platform::ThreadHold()) {
        held->HoldLogLine(text, kind);
        return;
    }
    Log& log = TheLog();
    std::lock_guard lock(log.mutex);
    log.text += "\r\n";
    log.text += text;
    if (log.sink)
        log.sink(text, kind);
}

}  // namespace

void LogMessage(const char* text) { LogMessage(std::string(text ? text : "")); }

void LogMessage(const std::string& text) { Append(text, platform::LogLine::Message); }

void LogNote(const std::string& text) { Append(text, platform::LogLine::Note); }

namespace platform {

LogSink SetLogSink(LogSink sink)
{
    Log& log = TheLog();
    std::lock_guard lock(log.mutex);
    return std::exchange(log.sink, std::move(sink));
}

std::string LogText()
{
    Log& log = TheLog();
    std::lock_guard lock(log.mutex);
    return log.text;
}

void ClearLog()
{
    Log& log = TheLog();
    std::lock_guard lock(log.mutex);
    log.text.clear();
}

}  // namespace platform
}  // namespace plexo
