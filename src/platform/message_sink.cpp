#include "platform/message_sink.h"

#include <atomic>
#include <utility>

#include "platform/held_reports.h"

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
    if (HeldReports* held = ThreadHold()) {
        held->HoldMessage(text);
        return;
    }
    ++shownCount;
    if (const MessageSink& sink = CurrentSink())
        sink(text);
}

uint64_t MessagesShown() { return shownCount.load(); }

}  // namespace plexo::platform
