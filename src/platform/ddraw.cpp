#include "platform/ddraw.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace plexo::platform {

namespace {

std::mutex& OutputMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<DisplayOutput>& Output()
{
    static std::shared_ptr<DisplayOutput> output;
    return output;
}

constexpr uint32_t kChainCaps =
    K3V_DDSCAPS_FLIP | K3V_DDSCAPS_COMPLEX | K3V_DDSCAPS_3DDEVICE | K3V_DDSCAPS_VIDEOMEMORY;
constexpr size_t kMaxBackBuffers = 3;
// No wait for the blank lasts longer than this many refresh periods, so a
// driver's thread always comes back to hear that flipping stops.
constexpr int kMaxWaitPeriods = 3;

}  // namespace

// The surfaces of one flipping chain; the primary surface owns it.
class Chain {
public:
    Chain(const std::shared_ptr<DisplayOutput>& output, uint32_t backBuffers) : output_(output)
    {
        const int32_t width = output->Width(), height = output->Height();
        surfaces_.push_back(std::make_unique<Surface>(
            output, 0, kChainCaps | K3V_DDSCAPS_PRIMARYSURFACE | K3V_DDSCAPS_FRONTBUFFER, width, height));
        for (uint32_t i = 1; i <= backBuffers; ++i)
            surfaces_.push_back(std::make_unique<Surface>(
                output, int(i), kChainCaps | (i == 1 ? K3V_DDSCAPS_BACKBUFFER : 0u), width, height));
        // Each surface has the next attached, the last the front again.
        for (size_t i = 0; i < surfaces_.size(); ++i)
            surfaces_[i]->attached_ = surfaces_[(i + 1) % surfaces_.size()].get();
        output->ChainCreated(surfaces());
    }
    ~Chain() { output_->ChainReleased(); }

    std::vector<Surface*> surfaces() const
    {
        std::vector<Surface*> list;
        for (const auto& s : surfaces_)
            list.push_back(s.get());
        return list;
    }

private:
    std::shared_ptr<DisplayOutput> output_;
    std::vector<std::unique_ptr<Surface>> surfaces_;
};

namespace {

Surface* Self(K3V_Surface* s) { return static_cast<Surface*>(s); }

class DirectDraw : public K3V_DirectDraw {
public:
    explicit DirectDraw(std::shared_ptr<DisplayOutput> output);

    std::shared_ptr<DisplayOutput> output;
    std::atomic<uint32_t> references{1};
};

DirectDraw* Self(K3V_DirectDraw* d) { return static_cast<DirectDraw*>(d); }

// A chain lives as long as its primary surface; the primary's Release ends it.
struct PrimaryHandle {
    Surface* primary;
    Chain* chain;
};
std::mutex& ChainsMutex()
{
    static std::mutex mutex;
    return mutex;
}
std::vector<PrimaryHandle>& Chains()
{
    static std::vector<PrimaryHandle> chains;
    return chains;
}

}  // namespace

struct SurfaceOps {
    static uint32_t Release(K3V_Surface* self)
    {
        Surface* s = Self(self);
        if (s->output_->Before(DDOp::Release, s->index_) != K3V_DD_OK || s->index_ != 0)
            return 1;
        Chain* chain = nullptr;
        {
            std::lock_guard lock(ChainsMutex());
            auto& chains = Chains();
            for (auto it = chains.begin(); it != chains.end(); ++it)
                if (it->primary == s) {
                    chain = it->chain;
                    chains.erase(it);
                    break;
                }
        }
        delete chain;
        return 0;
    }

    static K3V_HRESULT EnumAttachedSurfaces(K3V_Surface* self, void* context, K3V_EnumSurfacesCallback callback)
    {
        Surface* s = Self(self);
        if (const K3V_HRESULT r = s->output_->Before(DDOp::EnumAttachedSurfaces, s->index_); r != K3V_DD_OK)
            return r;
        if (!callback)
            return K3V_DDERR_INVALIDPARAMS;
        if (s->attached_) {
            K3V_SurfaceDesc desc{};
            desc.size = sizeof desc;
            desc.flags = K3V_DDSD_CAPS;
            desc.width = uint32_t(s->attached_->width_);
            desc.height = uint32_t(s->attached_->height_);
            desc.caps = s->attached_->caps_;
            callback(s->attached_, &desc, context);
        }
        return K3V_DD_OK;
    }

    static K3V_HRESULT GetCaps(K3V_Surface* self, uint32_t* caps)
    {
        Surface* s = Self(self);
        if (const K3V_HRESULT r = s->output_->Before(DDOp::GetCaps, s->index_); r != K3V_DD_OK)
            return r;
        if (!caps)
            return K3V_DDERR_INVALIDPARAMS;
        *caps = s->caps_;
        return K3V_DD_OK;
    }

    static K3V_HRESULT Blt(K3V_Surface* self, const K3V_Rect* dest, K3V_Surface*, const K3V_Rect*, uint32_t flags,
                           const K3V_BltFx* fx)
    {
        Surface* s = Self(self);
        if (const K3V_HRESULT r = s->output_->Before(DDOp::Blt, s->index_); r != K3V_DD_OK)
            return r;
        if (!(flags & K3V_DDBLT_COLORFILL) || !fx || fx->size != sizeof(K3V_BltFx))
            return K3V_DDERR_INVALIDPARAMS;
        if (s->lost_)
            return K3V_DDERR_SURFACELOST;
        K3V_Rect r{0, 0, s->width_, s->height_};
        if (dest)
            r = {std::max(dest->left, 0), std::max(dest->top, 0), std::min(dest->right, s->width_),
                 std::min(dest->bottom, s->height_)};
        const uint8_t bgr[3] = {uint8_t(fx->fillColor), uint8_t(fx->fillColor >> 8), uint8_t(fx->fillColor >> 16)};
        std::lock_guard lock(s->guard_);
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left; x < r.right; ++x)
                std::memcpy(&s->pixels_[size_t(y) * size_t(s->pitch_) + size_t(x) * 3], bgr, 3);
        if (r.left < r.right && r.top < r.bottom)
            s->output_->SurfaceChanged(s->index_, {s->pixels_.data(), s->width_, s->height_, s->pitch_}, r);
        return K3V_DD_OK;
    }

    static K3V_HRESULT GetBltStatus(K3V_Surface* self, uint32_t)
    {
        Surface* s = Self(self);
        return s->output_->Before(DDOp::GetBltStatus, s->index_);
    }

    static K3V_HRESULT GetDC(K3V_Surface* self, K3V_DC** dc)
    {
        Surface* s = Self(self);
        if (!dc)
            return K3V_DDERR_INVALIDPARAMS;
        *dc = nullptr;
        if (const K3V_HRESULT r = s->output_->Before(DDOp::GetDC, s->index_); r != K3V_DD_OK)
            return r;
        if (s->lost_)
            return K3V_DDERR_SURFACELOST;
        s->dc_.pixels = s->Guard();
        s->dc_.changed = {};
        *dc = &s->dc_;
        return K3V_DD_OK;
    }

    static K3V_HRESULT ReleaseDC(K3V_Surface* self, K3V_DC* dc)
    {
        Surface* s = Self(self);
        const K3V_HRESULT r = s->output_->Before(DDOp::ReleaseDC, s->index_);
        if (dc != &s->dc_ || !s->dc_.pixels.data)
            return K3V_DDERR_INVALIDPARAMS;
        const K3V_Rect& changed = s->dc_.changed;
        if (changed.left < changed.right && changed.top < changed.bottom)
            s->output_->SurfaceChanged(s->index_, s->dc_.pixels, changed);
        s->dc_.pixels = {};
        s->Unguard();
        return r;
    }

    static K3V_HRESULT IsLost(K3V_Surface* self)
    {
        Surface* s = Self(self);
        if (const K3V_HRESULT r = s->output_->Before(DDOp::IsLost, s->index_); r != K3V_DD_OK)
            return r;
        std::lock_guard lock(s->guard_);
        return s->lost_ ? K3V_DDERR_SURFACELOST : K3V_DD_OK;
    }

    static K3V_HRESULT Restore(K3V_Surface* self)
    {
        Surface* s = Self(self);
        if (const K3V_HRESULT r = s->output_->Before(DDOp::Restore, s->index_); r != K3V_DD_OK)
            return r;
        std::lock_guard lock(s->guard_);
        s->lost_ = false;
        return K3V_DD_OK;
    }

    static K3V_HRESULT Lock(K3V_Surface* self, K3V_Pixels* pixels)
    {
        Surface* s = Self(self);
        if (!pixels)
            return K3V_DDERR_INVALIDPARAMS;
        if (const K3V_HRESULT r = s->output_->Before(DDOp::Lock, s->index_); r != K3V_DD_OK)
            return r;
        *pixels = s->Guard();
        return K3V_DD_OK;
    }

    static K3V_HRESULT Unlock(K3V_Surface* self)
    {
        // A driver may have written anywhere.
        Surface* s = Self(self);
        s->output_->SurfaceChanged(s->index_, {s->pixels_.data(), s->width_, s->height_, s->pitch_},
                                   {0, 0, s->width_, s->height_});
        s->Unguard();
        return K3V_DD_OK;
    }

    static const K3V_SurfaceOps& Table()
    {
        static const K3V_SurfaceOps table{sizeof(K3V_SurfaceOps), Release, EnumAttachedSurfaces, GetCaps, Blt,
                                          GetBltStatus, GetDC, ReleaseDC, IsLost, Restore, Lock, Unlock};
        return table;
    }
};

Surface::Surface(std::shared_ptr<DisplayOutput> output, int index, uint32_t caps, int32_t width, int32_t height)
    : K3V_Surface{&SurfaceOps::Table()},
      output_(std::move(output)),
      index_(index),
      caps_(caps),
      width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pitch_((width_ * 3 + 3) / 4 * 4),
      pixels_(size_t(pitch_) * size_t(height_))
{
}

void Surface::MarkLost()
{
    std::lock_guard lock(guard_);
    lost_ = true;
}

std::vector<uint8_t> Surface::CopyPixels() const
{
    std::lock_guard lock(guard_);
    std::vector<uint8_t> copy(size_t(width_) * 3 * size_t(height_));
    for (int32_t y = 0; y < height_; ++y)
        std::memcpy(&copy[size_t(y) * size_t(width_) * 3], &pixels_[size_t(y) * size_t(pitch_)], size_t(width_) * 3);
    return copy;
}

K3V_Pixels Surface::Guard()
{
    guard_.lock();
    return {pixels_.data(), width_, height_, pitch_};
}

void Surface::Unguard() { guard_.unlock(); }

namespace {

struct DirectDrawOps {
    static uint32_t Release(K3V_DirectDraw* self)
    {
        DirectDraw* d = Self(self);
        d->output->Before(DDOp::Release, -1);
        const uint32_t left = --d->references;
        if (left == 0)
            delete d;
        return left;
    }

    static K3V_HRESULT SetCooperativeLevel(K3V_DirectDraw* self, void* window, uint32_t flags)
    {
        DirectDraw* d = Self(self);
        if (const K3V_HRESULT r = d->output->Before(DDOp::SetCooperativeLevel, -1); r != K3V_DD_OK)
            return r;
        d->output->SetCooperativeLevel(window, flags);
        return K3V_DD_OK;
    }

    static K3V_HRESULT CreateSurface(K3V_DirectDraw* self, const K3V_SurfaceDesc* desc, K3V_Surface** surface,
                                     void* outer)
    {
        DirectDraw* d = Self(self);
        if (!surface)
            return K3V_DDERR_INVALIDPARAMS;
        *surface = nullptr;
        if (const K3V_HRESULT r = d->output->Before(DDOp::CreateSurface, -1); r != K3V_DD_OK)
            return r;
        if (!desc || desc->size != sizeof(K3V_SurfaceDesc) || outer)
            return K3V_DDERR_INVALIDPARAMS;
        const uint32_t needed = K3V_DDSCAPS_PRIMARYSURFACE | K3V_DDSCAPS_FLIP | K3V_DDSCAPS_COMPLEX;
        if (!(desc->flags & K3V_DDSD_CAPS) || !(desc->flags & K3V_DDSD_BACKBUFFERCOUNT) ||
            (desc->caps & needed) != needed || desc->backBufferCount == 0 || desc->backBufferCount > kMaxBackBuffers)
            return K3V_DDERR_INVALIDCAPS;
        std::lock_guard lock(ChainsMutex());
        for (const PrimaryHandle& h : Chains())
            if (h.chain && h.primary->output() == d->output)
                return K3V_DDERR_PRIMARYSURFACEALREADYEXISTS;
        auto* chain = new Chain(d->output, desc->backBufferCount);
        Surface* primary = chain->surfaces().front();
        Chains().push_back({primary, chain});
        *surface = primary;
        return K3V_DD_OK;
    }

    static K3V_HRESULT WaitForVerticalBlank(K3V_DirectDraw* self, uint32_t, void*)
    {
        DirectDraw* d = Self(self);
        if (const K3V_HRESULT r = d->output->Before(DDOp::WaitForVerticalBlank, -1); r != K3V_DD_OK)
            return r;
        // A wait that runs out fails like one on a display that cannot wait
        // for the blank, and the driver paces that field itself; a display
        // that is only slow keeps every wait it can answer.
        const uint32_t hertz = std::max(d->output->RefreshRate(), 1u);
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::nanoseconds(kMaxWaitPeriods * 1'000'000'000LL / hertz);
        return d->output->WaitForVerticalBlank(deadline) ? K3V_DD_OK : K3V_DDERR_UNSUPPORTED;
    }

    static K3V_HRESULT GetMonitorFrequency(K3V_DirectDraw* self, uint32_t* hertz)
    {
        if (!hertz)
            return K3V_DDERR_INVALIDPARAMS;
        *hertz = Self(self)->output->RefreshRate();
        return *hertz ? K3V_DD_OK : K3V_DDERR_UNSUPPORTED;
    }

    static K3V_HRESULT GetDeviceName(K3V_DirectDraw* self, char* name, uint32_t size)
    {
        const std::string device = Self(self)->output->DeviceName();
        if (!name || size <= device.size())
            return K3V_DDERR_INVALIDPARAMS;
        std::memcpy(name, device.c_str(), device.size() + 1);
        return K3V_DD_OK;
    }

    static K3V_HRESULT Present(K3V_DirectDraw* self, K3V_Surface* surface)
    {
        DirectDraw* d = Self(self);
        if (!surface)
            return K3V_DDERR_INVALIDPARAMS;
        Surface* s = static_cast<Surface*>(surface);
        if (const K3V_HRESULT r = d->output->Before(DDOp::Present, s->index()); r != K3V_DD_OK)
            return r;
        const K3V_Pixels pixels = s->Guard();
        d->output->Present(s->index(), pixels);
        s->Unguard();
        return K3V_DD_OK;
    }

    static K3V_HRESULT GetStereoCaps(K3V_DirectDraw* self, uint32_t* quadBuffered)
    {
        if (!quadBuffered)
            return K3V_DDERR_INVALIDPARAMS;
        *quadBuffered = Self(self)->output->QuadBuffered() ? 1 : 0;
        return K3V_DD_OK;
    }

    static K3V_HRESULT PresentStereo(K3V_DirectDraw* self, K3V_Surface* left, K3V_Surface* right)
    {
        DirectDraw* d = Self(self);
        if (!left || !right || left == right || !d->output->QuadBuffered())
            return K3V_DDERR_INVALIDPARAMS;
        Surface* l = static_cast<Surface*>(left);
        Surface* r = static_cast<Surface*>(right);
        if (const K3V_HRESULT code = d->output->Before(DDOp::PresentStereo, l->index()); code != K3V_DD_OK)
            return code;
        // Guards are always taken in chain order, so two threads cannot wait
        // on each other.
        Surface* first = l->index() < r->index() ? l : r;
        Surface* second = first == l ? r : l;
        const K3V_Pixels firstPixels = first->Guard();
        const K3V_Pixels secondPixels = second->Guard();
        d->output->PresentStereo(l->index(), first == l ? firstPixels : secondPixels, r->index(),
                                 first == r ? firstPixels : secondPixels);
        second->Unguard();
        first->Unguard();
        return K3V_DD_OK;
    }

    static const K3V_DirectDrawOps& Table()
    {
        static const K3V_DirectDrawOps table{sizeof(K3V_DirectDrawOps), Release, SetCooperativeLevel, CreateSurface,
                                             WaitForVerticalBlank, GetMonitorFrequency, GetDeviceName, Present,
                                             GetStereoCaps, PresentStereo};
        return table;
    }
};

DirectDraw::DirectDraw(std::shared_ptr<DisplayOutput> out)
    : K3V_DirectDraw{&DirectDrawOps::Table()}, output(std::move(out))
{
}

}  // namespace

const char* DDOpName(DDOp op)
{
    static const char* const names[] = {"DirectDrawCreate(device)", "DirectDrawCreate", "SetCooperativeLevel",
                                        "CreateSurface", "EnumAttachedSurfaces", "GetCaps", "Blt", "GetBltStatus",
                                        "GetDC", "ReleaseDC", "IsLost", "Restore", "Release", "Lock",
                                        "WaitForVerticalBlank", "Present", "PresentStereo"};
    return names[size_t(op)];
}

const char* DDErrorName(K3V_HRESULT code)
{
    static const struct {
        K3V_HRESULT code;
        const char* name;
    } names[] = {
        {K3V_DDERR_INCOMPATIBLEPRIMARY, "DDERR_INCOMPATIBLEPRIMARY"},
        {K3V_DDERR_INVALIDCAPS, "DDERR_INVALIDCAPS"},
        {K3V_DDERR_INVALIDOBJECT, "DDERR_INVALIDOBJECT"},
        {K3V_DDERR_INVALIDPARAMS, "DDERR_INVALIDPARAMS"},
        {K3V_DDERR_INVALIDPIXELFORMAT, "DDERR_INVALIDPIXELFORMAT"},
        {K3V_DDERR_NOALPHAHW, "DDERR_NOALPHAHW"},
        {K3V_DDERR_NOCOOPERATIVELEVELSET, "DDERR_NOCOOPERATIVELEVELSET"},
        {K3V_DDERR_NODIRECTDRAWHW, "DDERR_NODIRECTDRAWHW"},
        {K3V_DDERR_NOEMULATION, "DDERR_NOEMULATION"},
        {K3V_DDERR_NOEXCLUSIVEMODE, "DDERR_NOEXCLUSIVEMODE"},
        {K3V_DDERR_NOFLIPHW, "DDERR_NOFLIPHW"},
        {K3V_DDERR_NOMIPMAPHW, "DDERR_NOMIPMAPHW"},
        {K3V_DDERR_NOOVERLAYHW, "DDERR_NOOVERLAYHW"},
        {K3V_DDERR_NOZBUFFERHW, "DDERR_NOZBUFFERHW"},
        {K3V_DDERR_OUTOFMEMORY, "DDERR_OUTOFMEMORY"},
        {K3V_DDERR_OUTOFVIDEOMEMORY, "DDERR_OUTOFVIDEOMEMORY"},
        {K3V_DDERR_PRIMARYSURFACEALREADYEXISTS, "DDERR_PRIMARYSURFACEALREADYEXISTS"},
        {K3V_DDERR_UNSUPPORTEDMODE, "DDERR_UNSUPPORTEDMODE"},
    };
    for (const auto& n : names)
        if (n.code == code)
            return n.name;
    return nullptr;
}

void SetDisplayOutput(std::shared_ptr<DisplayOutput> output)
{
    std::lock_guard lock(OutputMutex());
    Output() = std::move(output);
}

std::shared_ptr<DisplayOutput> CurrentDisplayOutput()
{
    std::lock_guard lock(OutputMutex());
    return Output();
}

K3V_HRESULT DirectDrawCreate(const K3V_GUID* device, K3V_DirectDraw** object, void* outer)
{
    if (!object || outer)
        return K3V_DDERR_INVALIDPARAMS;
    *object = nullptr;
    std::shared_ptr<DisplayOutput> output = CurrentDisplayOutput();
    if (!output)
        return K3V_DDERR_NODIRECTDRAWHW;
    if (const K3V_HRESULT r = output->Before(device ? DDOp::CreateWithDevice : DDOp::CreateDefault, -1);
        r != K3V_DD_OK)
        return r;
    *object = new DirectDraw(std::move(output));
    return K3V_DD_OK;
}

const K3V_Host* HostServices()
{
    static const K3V_Host host{sizeof(K3V_Host), DirectDrawCreate};
    return &host;
}

}  // namespace plexo::platform
