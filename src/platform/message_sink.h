#pragma once
// Messages that need the user's attention at once ("Not a bitmap file",
// "File extension is incompatible", ...). The viewer shows them in a message
// box, plexo-tool prints them to stderr, tests capture them.

#include <cstdint>
#include <functional>
#include <string>

namespace plexo::platform {

using MessageSink = std::function<void(const std::string& text)>;

// Installs the sink and returns the previous one. An empty sink drops messages.
MessageSink SetMessageSink(MessageSink sink);
// On a thread that holds its reports (held_reports.h) the message waits in
// the hold, and counts as shown once the hold passes it on.
void ShowMessage(const std::string& text);
// How many messages have been shown so far, so that a caller can tell
// whether the code it called has already said why it failed.
uint64_t MessagesShown();

}  // namespace plexo::platform
