/* A flipper driver that alternates nothing: it records every call so that
 * tests can check what the page flipper asked of it and in which order.
 * Built in variants: FAKE_NO_EXPORT lacks the entry point,
 * FAKE_FILLS_NOTHING fills no slot, FAKE_EXTENSION_SIZE sets the extension
 * table's size field. */
#include <stdlib.h>
#include <string.h>

#include "fake_driver.h"

#ifndef FAKE_EXTENSION_SIZE
#define FAKE_EXTENSION_SIZE sizeof(K3V_Extension)
#endif

__attribute__((visibility("default"))) FakeDriverState fake_driver_state;

static void Record(int slot, K3V_Surface* surface, uint32_t value)
{
    if (fake_driver_state.count < (int)(sizeof fake_driver_state.events / sizeof fake_driver_state.events[0])) {
        FakeDriverEvent* e = &fake_driver_state.events[fake_driver_state.count++];
        e->slot = slot;
        e->surface = surface;
        e->value = value;
    }
}

static K3V_Result Start(K3V_FlipperDriver* r, uint32_t a, K3V_DirectDraw* dd, K3V_Surface* first, K3V_Surface* second)
{
    (void)r, (void)a, (void)dd, (void)second;
    Record(0, first, 0);
    return 0;
}

static K3V_Result Stop(K3V_FlipperDriver* r, uint32_t a, K3V_DirectDraw* dd, K3V_Surface* first, K3V_Surface* second)
{
    (void)r, (void)a, (void)dd, (void)second;
    Record(1, first, 0);
    return 0;
}

static K3V_Result Present(K3V_FlipperDriver* r, uint32_t a, uint32_t now)
{
    (void)r, (void)a;
    Record(4, NULL, now);
    return 0;
}

static K3V_Result SetEye(K3V_FlipperDriver* r, uint32_t a, K3V_Surface* surface, uint32_t eye)
{
    (void)r, (void)a;
    Record(6, surface, eye);
    return 0;
}

static K3V_Result GetCaps(K3V_FlipperDriver* r, uint32_t a, K3V_DriverCaps* caps)
{
    (void)r, (void)a;
    caps->caps1 = fake_driver_state.caps1;
    caps->caps2 = fake_driver_state.caps2;
    Record(9, NULL, caps->size);
    return 0;
}

static K3V_Result GetStatus(K3V_FlipperDriver* r, uint32_t a, K3V_Surface* surface, uint32_t* status)
{
    (void)r, (void)a;
    *status = 0;
    for (int i = 0; i < 4; ++i)
        if (surface && fake_driver_state.busy[i] == surface)
            *status = K3V_STATUS_SHOWN;
    Record(11, surface, *status);
    return 0;
}

static K3V_Result OwnRelease(K3V_FlipperDriver* r, uint32_t a)
{
    (void)r, (void)a;
    return 0;
}

/* Counts into the int the test leaves in driverData. */
static void Cleanup(K3V_FlipperDriver* r)
{
    if (r->driverData)
        ++*(int*)r->driverData;
}

static K3V_Result DeviceName(K3V_FlipperDriver* r, uint32_t a, K3V_FlipDisplayInfo* info)
{
    (void)r, (void)a;
    strcpy(info->deviceName, "FAKE-1");
    return 0;
}

#ifndef FAKE_NO_EXPORT
__attribute__((visibility("default"))) K3V_Result K3V_DDFillFunctions(K3V_FlipperDriver* record)
{
#ifndef FAKE_FILLS_NOTHING
    K3V_FunctionTable* t = record->functions;
    t->StartStereo = Start;
    t->StopStereo = Stop;
    t->Present = Present;
    t->SetEye = SetEye;
    t->GetCaps = GetCaps;
    t->GetStatus = GetStatus;
    t->Release = OwnRelease;
    K3V_Extension* e = calloc(1, sizeof *e);
    if (e) {
        e->size = FAKE_EXTENSION_SIZE;
        e->Cleanup = Cleanup;
        e->GetDeviceName = DeviceName;
    }
    record->extension = e;
#else
    (void)record;
#endif
    return 0;
}
#endif
