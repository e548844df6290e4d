#include "platform/message_sink.h"

#include <utility>

namespace plexo::platform {

namespace {
MessageSink& CurrentSink()
{
    static MessageSink sink;
    return sink;
}
}  // namespace

MessageSink SetMessageSink(MessageSink sink)
{
    return std::exchange(CurrentSink(), std::move(sink));
}

void ShowMessage(const std::string& text)
{
    if (const MessageSink& sink = CurrentSink())
        sink(text);
}

}  // namespace plexo::platform
