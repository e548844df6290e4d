// A flipper driver that alternates nothing: it records the calls that start,
// stop, present and name an eye, so that tests can check what the page
// flipper asked of it and in which order. Built in variants: FAKE_NO_EXPORT
// lacks the entry point, FAKE_FILLS_NOTHING fills no slot,
// FAKE_EXTENSION_SIZE sets the extension table's size field.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "fake_driver.h"

#ifndef FAKE_EXTENSION_SIZE
#define FAKE_EXTENSION_SIZE sizeof(K3V_Extension)
#endif

extern "C" {
__attribute__((visibility("default"))) FakeDriverState fake_driver_state;
}

namespace {

K3V_Result Record(int slot, K3V_Surface* surface, uint32_t value = 0)
{
    FakeDriverState& s = fake_driver_state;
    if (s.count < int(std::size(s.events)))
        s.events[s.count++] = {slot, surface, value};
    return 0;
}

}  // namespace

#ifndef FAKE_NO_EXPORT
extern "C" __attribute__((visibility("default"))) K3V_Result K3V_DDFillFunctions(K3V_FlipperDriver* record)
{
#ifndef FAKE_FILLS_NOTHING
    using Driver = K3V_FlipperDriver;
    using Surface = K3V_Surface;
    K3V_FunctionTable& t = *record->functions;
    t.StartStereo = [](Driver*, uint32_t, K3V_DirectDraw*, Surface* first, Surface*) { return Record(0, first); };
    t.StopStereo = [](Driver*, uint32_t, K3V_DirectDraw*, Surface* first, Surface*) { return Record(1, first); };
    t.Present = [](Driver*, uint32_t, uint32_t now) { return Record(4, nullptr, now); };
    t.SetEye = [](Driver*, uint32_t, Surface* surface, uint32_t eye) { return Record(6, surface, eye); };
    t.GetCaps = [](Driver*, uint32_t, K3V_DriverCaps* caps) -> K3V_Result {
        caps->caps1 = fake_driver_state.caps1;
        caps->caps2 = fake_driver_state.caps2;
        return 0;
    };
    t.GetStatus = [](Driver*, uint32_t, Surface* surface, uint32_t* status) -> K3V_Result {
        const auto& busy = fake_driver_state.busy;
        const bool shown = surface && std::find(std::begin(busy), std::end(busy), surface) != std::end(busy);
        *status = shown ? K3V_STATUS_SHOWN : 0;
        return 0;
    };
    // Never called: the system puts its own routine into slot 10.
    t.Release = [](Driver*, uint32_t) -> K3V_Result { return 0; };
    auto* e = static_cast<K3V_Extension*>(std::calloc(1, sizeof(K3V_Extension)));
    if (e) {
        e->size = FAKE_EXTENSION_SIZE;
        // Counts into the int the test leaves in driverData.
        e->Cleanup = [](Driver* r) {
            if (r->driverData)
                ++*static_cast<int*>(r->driverData);
        };
        e->GetDeviceName = [](Driver*, uint32_t, K3V_FlipDisplayInfo* info) -> K3V_Result {
            std::strcpy(info->deviceName, "FAKE-1");
            return 0;
        };
    }
    record->extension = e;
#else
    (void)record;
#endif
    return 0;
}
#endif
