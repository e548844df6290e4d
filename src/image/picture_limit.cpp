#include "image/picture_limit.h"

#include <unistd.h>

#include <atomic>
#include <mutex>

#include "platform/log.h"

namespace plexo {

namespace {

std::atomic<size_t>& Limit()
{
    static std::atomic<size_t> limit{QuarterOfMemory()};
    return limit;
}

std::string Amount(uint64_t bytes)
{
    if (bytes < (uint64_t(10) << 20))
        return std::to_string(bytes) + " bytes";
    return std::to_string(bytes >> 20) + " MiB";
}

}  // namespace

size_t QuarterOfMemory()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return size_t(1) << 30;
    return size_t(pages) / 4 * size_t(pageSize);
}

size_t DecodedPictureLimit() { return Limit(); }

void SetDecodedPictureLimit(size_t bytes) { Limit() = bytes; }

std::optional<std::string> DecodedSizeRefusal(std::initializer_list<DecodedSize> pictures, int bytesPerPixel)
{
    uint64_t bytes = 0;
    for (const DecodedSize& p : pictures)
        bytes += uint64_t(p.width > 0 ? p.width : 0) * uint64_t(p.height > 0 ? p.height : 0) * uint64_t(bytesPerPixel);
    const size_t limit = DecodedPictureLimit();
    if (bytes <= limit)
        return std::nullopt;
    std::string sizes;
    for (const DecodedSize& p : pictures)
        sizes += (sizes.empty() ? "" : " and ") + std::to_string(p.width) + "x" + std::to_string(p.height);
    return std::string(pictures.size() == 1 ? "its picture of " : "its pictures of ") + sizes + " would take " +
           Amount(bytes) + " decoded, more than the " + Amount(limit) + " one frame may take";
}

void LogRefusedPicture(const std::string& path, const std::string& reason)
{
    static std::mutex lock;
    static std::string last;
    const std::string line = path + ": " + reason;
    {
        const std::lock_guard<std::mutex> held(lock);
        if (line == last)
            return;
        last = line;
    }
    LogMessage(line);
}

}  // namespace plexo
