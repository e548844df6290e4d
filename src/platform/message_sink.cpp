#include "platform/message_sink.h"

#include <atomic>
#include <utility>

namespace plexo::platform {

namespace {
MessageSink& CurrentSink()
{
    static MessageSink sink;
    return sink;
}

std::atomic<uint64_t> shownCount{0};
}  // namespace

MessageSink SetMessageSink(MessageSink sink)
{
    return std::exchange(CurrentSink(), std::move(sink));
}

void ShowMessage(const std::string& text)
{
    ++shownCount;
    if (const MessageSink& sink = CurrentSink())
        sink(text);
}

uint64_t MessagesShown() { return shownCount.load(); }

}  // namespace plexo::platform
