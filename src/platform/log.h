#pragma once
// The one message log of the process. Every message is appended after a line
// break ("\r\n"), so the text starts with an empty line and never ends with a
// break. The viewer's Display panel shows the text; plexo-tool prints each
// message to stderr.

#include <functional>
#include <string>

namespace plexo {

// A null text counts as empty. On a thread that holds its reports
// (held_reports.h) the message waits in the hold.
void LogMessage(const char* text);
void LogMessage(const std::string& text);
// A line that only informs (how a playback went): logged as every message
// is, but the viewer's panel does not open for it.
void LogNote(const std::string& text);

namespace platform {

enum class LogLine { Message, Note };

// Called after every message with the message itself and its kind; the
// viewer uses it to show its panel, the tool to print the line. Returns the
// previous sink.
// Messages may come from any thread (a conversion runs on a worker); the sink
// runs on the caller's thread under the log's lock, so it must hand work to
// other threads without waiting for them (a queued call, never a blocking one).
using LogSink = std::function<void(const std::string& message, LogLine kind)>;
LogSink SetLogSink(LogSink sink);

// The whole log text since the last ClearLog.
std::string LogText();
// What closing the panel does: the text is emptied.
void ClearLog();

}  // namespace platform
}  // namespace plexo
