// A flipper driver that alternates nothing: it records the calls that start,
// stop, present and name an eye, so that tests can check what the page
// flipper asked of it and in which order, and tells the lies it is given.
// Built in variants: FAKE_NO_EXPORT lacks the entry point,
// FAKE_FILLS_NOTHING fills no slot.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "fake_driver.h"

extern "C" {
__attribute__((visibility("default"))) FakeDriverState fake_driver_state;
}

namespace {

const FakeDriverLies& Lies() { return fake_driver_state.lies; }

K3V_Result Record(int slot, K3V_Surface* surface, uint32_t value = 0)
{
    FakeDriverState& s = fake_driver_state;
    if (s.count < int(std::size(s.events)))
        s.events[s.count++] = {slot, surface, value};
    return Lies().results[slot];
}

// Writes `bytes` over a record the host handed out, past its end when asked.
void Overrun(void* record, uint32_t bytes)
{
    std::memset(record, 'A', std::min<uint32_t>(bytes, 4096));
}

}  // namespace

#ifndef FAKE_NO_EXPORT
extern "C" __attribute__((visibility("default"))) K3V_Result K3V_DDFillFunctions(K3V_FlipperDriver* record)
{
#ifndef FAKE_FILLS_NOTHING
    using Driver = K3V_FlipperDriver;
    using Surface = K3V_Surface;
    static K3V_FunctionTable own;
    if (Lies().replaceTable)
        record->functions = &own;
    if (Lies().recordSize)
        record->size = Lies().recordSize;
    K3V_FunctionTable& t = *record->functions;
    t.StartStereo = [](Driver*, uint32_t, K3V_DirectDraw*, Surface* first, Surface*) { return Record(0, first); };
    t.StopStereo = [](Driver*, uint32_t, K3V_DirectDraw*, Surface* first, Surface*) { return Record(1, first); };
    t.Present = [](Driver*, uint32_t, uint32_t now) { return Record(4, nullptr, now); };
    t.SetEye = [](Driver*, uint32_t, Surface* surface, uint32_t eye) { return Record(6, surface, eye); };
    t.GetCaps = [](Driver*, uint32_t, K3V_DriverCaps* caps) -> K3V_Result {
        Overrun(caps, Lies().capsBytes);
        caps->caps1 = fake_driver_state.caps1;
        caps->caps2 = fake_driver_state.caps2;
        return Lies().results[9];
    };
    t.GetStatus = [](Driver*, uint32_t, Surface* surface, uint32_t* status) -> K3V_Result {
        const auto& busy = fake_driver_state.busy;
        const bool shown = surface && std::find(std::begin(busy), std::end(busy), surface) != std::end(busy);
        *status = shown ? K3V_STATUS_SHOWN : 0;
        Overrun(status, Lies().statusBytes);
        return Lies().results[11];
    };
    // Never called: the system puts its own routine into slot 10.
    t.Release = [](Driver*, uint32_t) -> K3V_Result { return 0; };
    const auto empty = [](int slot) { return (Lies().emptySlots >> slot & 1) != 0; };
    t.StartStereo = empty(0) ? nullptr : t.StartStereo;
    t.StopStereo = empty(1) ? nullptr : t.StopStereo;
    t.Present = empty(4) ? nullptr : t.Present;
    t.SetEye = empty(6) ? nullptr : t.SetEye;
    t.GetCaps = empty(9) ? nullptr : t.GetCaps;
    t.GetStatus = empty(11) ? nullptr : t.GetStatus;
    const size_t bytes = Lies().extensionBytes ? Lies().extensionBytes : sizeof(K3V_Extension);
    auto* e = static_cast<K3V_Extension*>(std::calloc(1, std::max(bytes, sizeof(uint32_t))));
    if (e) {
        e->size = Lies().extensionSize ? Lies().extensionSize : sizeof(K3V_Extension);
        // Counts into the int the test leaves in driverData.
        if (bytes >= offsetof(K3V_Extension, reserved))
            e->Cleanup = [](Driver* r) {
                if (r->driverData)
                    ++*static_cast<int*>(r->driverData);
            };
        if (bytes >= sizeof(K3V_Extension))
            e->GetDeviceName = [](Driver*, uint32_t, K3V_FlipDisplayInfo* info) -> K3V_Result {
                std::strcpy(info->deviceName, "FAKE-1");
                Overrun(info, Lies().nameBytes);
                return Lies().results[10];
            };
    }
    record->extension = e;
    return Lies().fillResult;
#else
    (void)record;
    return 0;
#endif
}
#endif
