#pragma once
// The DirectDraw stand-in: DirectDraw objects and flipping chains with the
// C function tables of k3v_dd.h, the same operations, results and error codes
// as DirectDraw's, shown on a DisplayOutput. The viewer installs an OpenGL
// output, the tests and benchmarks a scripted display in memory.
//
// A surface's pixels are guarded: a drawing context, a lock and a present
// each hold the surface's guard, so a picture is never shown half drawn.
// Present, wait and lock are safe from the driver's thread.

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/gdi.h"
#include "plexo/k3v_dd.h"

namespace plexo::platform {

enum class DDOp {
    CreateWithDevice,
    CreateDefault,
    SetCooperativeLevel,
    CreateSurface,
    EnumAttachedSurfaces,
    GetCaps,
    Blt,
    GetBltStatus,
    GetDC,
    ReleaseDC,
    IsLost,
    Restore,
    Release,
    Lock,
    WaitForVerticalBlank,
    Present,
    PresentStereo,
};
const char* DDOpName(DDOp op);

// The name of a chain-creation failure ("DDERR_OUTOFVIDEOMEMORY"), or null
// for a code that is not reported.
const char* DDErrorName(K3V_HRESULT code);

class Surface;

// A display that DirectDraw shows its surfaces on.
class DisplayOutput {
public:
    virtual ~DisplayOutput() = default;
    // Runs before every operation with the surface's place in its chain (-1
    // for the object's own operations); a non-zero code fails the operation.
    virtual K3V_HRESULT Before(DDOp, int /*surface*/) { return K3V_DD_OK; }
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    virtual uint32_t RefreshRate() const = 0;
    virtual std::string DeviceName() const = 0;
    virtual bool QuadBuffered() const { return false; }
    // Readies the display for a run of page flipping, reading the screen's
    // size, refresh rate and name afresh (the screen may have changed mode
    // since the last run). False, with the reason, where it cannot draw.
    virtual bool Start(std::string& /*why*/) { return true; }
    // Blocks until the next vertical blank; false at once where the display
    // cannot wait for it, and false by the deadline where it stopped answering.
    virtual bool WaitForVerticalBlank(std::chrono::steady_clock::time_point /*deadline*/) { return false; }
    // A surface's pixels changed in `area`. Called with the surface's guard
    // held, so the pixels are whole and valid during the call: an output
    // that keeps its own copy of each surface takes it here, once a change,
    // rather than at every present.
    virtual void SurfaceChanged(int /*surface*/, const K3V_Pixels& /*pixels*/, const K3V_Rect& /*area*/) {}
    // Shows a surface (two for quad-buffered stereo) from the next refresh
    // on. The pixels are only valid during the call.
    virtual void Present(int surface, const K3V_Pixels& pixels) = 0;
    virtual void PresentStereo(int /*left*/, const K3V_Pixels& /*leftPixels*/, int /*right*/,
                               const K3V_Pixels& /*rightPixels*/)
    {
    }
    virtual void SetCooperativeLevel(void* /*window*/, uint32_t /*flags*/) {}
    // The flipping chain came or went.
    virtual void ChainCreated(const std::vector<Surface*>& /*chain*/) {}
    virtual void ChainReleased() {}
};

// The output that DirectDrawCreate uses from now on; null leaves no display,
// so creating fails with DDERR_NODIRECTDRAWHW.
void SetDisplayOutput(std::shared_ptr<DisplayOutput> output);
std::shared_ptr<DisplayOutput> CurrentDisplayOutput();

// A null device means the default display device.
K3V_HRESULT DirectDrawCreate(const K3V_GUID* device, K3V_DirectDraw** object, void* outer);

// The services handed to a driver in its record.
const K3V_Host* HostServices();

// One surface of a flipping chain, 24-bit, as large as the display. It lives
// until the chain's primary surface is released.
class Surface : public K3V_Surface {
public:
    Surface(std::shared_ptr<DisplayOutput> output, int index, uint32_t caps, int32_t width, int32_t height);

    int index() const { return index_; }
    uint32_t caps() const { return caps_; }
    const std::shared_ptr<DisplayOutput>& output() const { return output_; }
    void MarkLost();
    // A copy of the pixels, top row first, rows 3·width bytes.
    std::vector<uint8_t> CopyPixels() const;

    // The pixels, with the guard held until Unguard.
    K3V_Pixels Guard();
    void Unguard();

private:
    friend struct SurfaceOps;
    friend class Chain;

    std::shared_ptr<DisplayOutput> output_;
    int index_;
    uint32_t caps_;
    int32_t width_;
    int32_t height_;
    int32_t pitch_;
    std::vector<uint8_t> pixels_;
    mutable std::mutex guard_;
    bool lost_ = false;
    Surface* attached_ = nullptr;
    K3V_DC dc_{};
};

}  // namespace plexo::platform
