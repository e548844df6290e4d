#pragma once
// Collects the messages the core shows while it lives.

#include <string>
#include <vector>

#include "platform/message_sink.h"

namespace plexo::test {

class MessageCapture {
public:
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;
    MessageCapture() : previous_(platform::SetMessageSink([this](const std::string& t) { messages.push_back(t); })) {}
    ~MessageCapture() { platform::SetMessageSink(previous_); }

    std::vector<std::string> messages;

private:
    platform::MessageSink previous_;
};

}  // namespace plexo::test
