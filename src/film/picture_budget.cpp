#include "film/picture_budget.h"

#include <atomic>

#include "image/picture_limit.h"

namespace plexo {

namespace {

std::atomic<size_t>& Budget()
{
    static std::atomic<size_t> budget{DefaultPictureBudget()};
    return budget;
}

std::atomic<size_t> keptBytes{0};

}  // namespace

size_t DefaultPictureBudget() { return QuarterOfMemory(); }

void SetPictureBudget(size_t bytes) { Budget() = bytes; }

size_t PictureBudget() { return Budget(); }

size_t KeptPictureBytes() { return keptBytes; }

void KeptPictures::Shown(size_t index, size_t bytes)
{
    Forget(index);
    if (bytes == 0)
        return;
    order_.push_back(index);
    kept_[index] = {std::prev(order_.end()), bytes};
    keptBytes += bytes;
    while (keptBytes > Budget() && order_.size() > 2) {
        const size_t oldest = order_.front();
        Forget(oldest);
        drop_(oldest);
    }
}

void KeptPictures::Forget(size_t index)
{
    const auto found = kept_.find(index);
    if (found == kept_.end())
        return;
    keptBytes -= found->second.bytes;
    order_.erase(found->second.at);
    kept_.erase(found);
}

void KeptPictures::Forget()
{
    for (const auto& entry : kept_)
        keptBytes -= entry.second.bytes;
    kept_.clear();
    order_.clear();
}

}  // namespace plexo
