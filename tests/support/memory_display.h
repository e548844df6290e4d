#pragma once
// A display in memory for tests and benchmarks: every DirectDraw operation
// can be scripted to fail with any code, every call is logged in order,
// surfaces can be marked lost and read back, and the vertical blank is a
// simulated refresh clock that the test advances.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ddraw.h"

namespace plexo::platform {

class MemoryDisplay : public DisplayOutput {
public:
    MemoryDisplay(int32_t width, int32_t height, uint32_t refreshRate = 120, std::string deviceName = "MEMORY-1");

    // The next calls of `op` return these results, one a call, then success.
    void Script(DDOp op, std::vector<K3V_HRESULT> results);
    // The vertical blank cannot be waited for (a virtual display).
    void SetVerticalBlank(bool available);
    // From now on a wait for the blank never ends at a refresh (a display
    // that hangs); only its deadline ends it.
    void StopAnswering();
    // Start fails with this reason (a display that cannot draw).
    void FailStart(std::string why);
    // Lets `refreshes` more waits for the vertical blank through, then
    // returns once the waiting thread has used them all and waits again.
    void Advance(uint64_t refreshes);
    // From now on every wait passes at once (so that a driver can stop).
    void RunFree();
    void SetQuadBuffered(bool available);

    // "Op" or "Op N" (N the surface's place in the chain), in call order;
    // waits and presents are counted in shows() instead.
    std::vector<std::string> calls() const;
    void ClearCalls();
    std::vector<Surface*> chain() const;

    // One present: the refresh it was made in, the surfaces shown (right is
    // -1 unless both eyes went in one swap) and their first bytes.
    struct Shown {
        uint64_t refresh;
        int left;
        int right;
        int leftValue;
        int rightValue;
    };
    std::vector<Shown> shows() const;
    // Runs on the presenting thread after every present, with the number of
    // presents so far; a test holds the driver at a known point with it.
    std::function<void(size_t)> onPresent;

    K3V_HRESULT Before(DDOp op, int surface) override;
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    uint32_t RefreshRate() const override { return refreshRate_; }
    std::string DeviceName() const override { return deviceName_; }
    bool QuadBuffered() const override;
    bool Start(std::string& why) override;
    bool WaitForVerticalBlank(std::chrono::steady_clock::time_point deadline) override;
    void Present(int surface, const K3V_Pixels& pixels) override;
    void PresentStereo(int left, const K3V_Pixels&, int right, const K3V_Pixels&) override;
    void ChainCreated(const std::vector<Surface*>& chain) override;
    void ChainReleased() override;

private:
    void Record(int left, int right, int leftValue, int rightValue);

    const int32_t width_;
    const int32_t height_;
    const uint32_t refreshRate_;
    const std::string deviceName_;
    mutable std::mutex mutex_;
    std::map<DDOp, std::vector<K3V_HRESULT>> script_;
    std::vector<std::string> calls_;
    std::vector<Surface*> chain_;
    std::vector<Shown> shows_;
    std::condition_variable clock_;
    uint64_t refresh_ = 0;
    uint64_t budget_ = 0;
    bool waiting_ = false;
    bool free_ = false;
    bool verticalBlank_ = true;
    bool answering_ = true;
    std::string startFailure_;
    bool quadBuffered_ = false;
};

}  // namespace plexo::platform
