#include "support/memory_display.h"

#include <thread>

namespace plexo::platform {

MemoryDisplay::MemoryDisplay(int32_t width, int32_t height, uint32_t refreshRate, std::string deviceName)
    : width_(width), height_(height), refreshRate_(refreshRate), deviceName_(std::move(deviceName))
{
}

void MemoryDisplay::Script(DDOp op, std::vector<K3V_HRESULT> results)
{
    std::lock_guard lock(mutex_);
    script_[op] = std::move(results);
}

void MemoryDisplay::SetVerticalBlank(bool available)
{
    std::lock_guard lock(mutex_);
    verticalBlank_ = available;
}

void MemoryDisplay::StopAnswering()
{
    std::lock_guard lock(mutex_);
    answering_ = false;
    clock_.notify_all();
}

void MemoryDisplay::FailStart(std::string why)
{
    std::lock_guard lock(mutex_);
    startFailure_ = std::move(why);
}

bool MemoryDisplay::Start(std::string& why)
{
    std::lock_guard lock(mutex_);
    why = startFailure_;
    return why.empty();
}

void MemoryDisplay::SetQuadBuffered(bool available)
{
    std::lock_guard lock(mutex_);
    quadBuffered_ = available;
}

void MemoryDisplay::Advance(uint64_t refreshes)
{
    std::unique_lock lock(mutex_);
    budget_ += refreshes;
    clock_.notify_all();
    clock_.wait(lock, [this] { return free_ || (budget_ == 0 && waiting_); });
}

void MemoryDisplay::RunFree()
{
    std::lock_guard lock(mutex_);
    free_ = true;
    clock_.notify_all();
}

std::vector<std::string> MemoryDisplay::calls() const
{
    std::lock_guard lock(mutex_);
    return calls_;
}

void MemoryDisplay::ClearCalls()
{
    std::lock_guard lock(mutex_);
    calls_.clear();
}

std::vector<Surface*> MemoryDisplay::chain() const
{
    std::lock_guard lock(mutex_);
    return chain_;
}

std::vector<MemoryDisplay::Shown> MemoryDisplay::shows() const
{
    std::lock_guard lock(mutex_);
    return shows_;
}

K3V_HRESULT MemoryDisplay::Before(DDOp op, int surface)
{
    std::lock_guard lock(mutex_);
    if (op != DDOp::WaitForVerticalBlank && op != DDOp::Present && op != DDOp::PresentStereo && op != DDOp::Lock)
        calls_.push_back(surface < 0 ? DDOpName(op) : std::string(DDOpName(op)) + " " + std::to_string(surface));
    auto it = script_.find(op);
    if (it == script_.end() || it->second.empty())
        return K3V_DD_OK;
    const K3V_HRESULT result = it->second.front();
    it->second.erase(it->second.begin());
    return result;
}

bool MemoryDisplay::QuadBuffered() const
{
    std::lock_guard lock(mutex_);
    return quadBuffered_;
}

bool MemoryDisplay::WaitForVerticalBlank(std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(mutex_);
    if (!verticalBlank_)
        return false;
    waiting_ = true;
    clock_.notify_all();
    clock_.wait(lock, [this] { return free_ || budget_ > 0 || !answering_; });
    waiting_ = false;
    if (!free_ && !answering_) {
        // Only a hung display's wait heeds the deadline, so that the refresh
        // clock of every other test never races real time.
        lock.unlock();
        std::this_thread::sleep_until(deadline);
        return false;
    }
    if (budget_ > 0)
        --budget_;
    ++refresh_;
    return true;
}

void MemoryDisplay::Record(int left, int right, int leftValue, int rightValue)
{
    size_t count = 0;
    {
        std::lock_guard lock(mutex_);
        shows_.push_back({refresh_, left, right, leftValue, rightValue});
        count = shows_.size();
    }
    if (onPresent)
        onPresent(count);
}

namespace {
int FirstByte(const K3V_Pixels& p) { return p.data && p.width > 0 && p.height > 0 ? p.data[0] : -1; }
}  // namespace

void MemoryDisplay::Present(int surface, const K3V_Pixels& pixels)
{
    Record(surface, -1, FirstByte(pixels), -1);
}

void MemoryDisplay::PresentStereo(int left, const K3V_Pixels& leftPixels, int right, const K3V_Pixels& rightPixels)
{
    Record(left, right, FirstByte(leftPixels), FirstByte(rightPixels));
}

void MemoryDisplay::ChainCreated(const std::vector<Surface*>& chain)
{
    std::lock_guard lock(mutex_);
    chain_ = chain;
}

void MemoryDisplay::ChainReleased()
{
    std::lock_guard lock(mutex_);
    chain_.clear();
}

}  // namespace plexo::platform
