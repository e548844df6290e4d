#pragma once
// What a fake flipper driver records of its calls, reached by tests through
// the library's symbol "fake_driver_state".

#include "platform/k3v_dd.h"

struct FakeDriverEvent {
    int slot;
    K3V_Surface* surface;
    uint32_t value;
};

struct FakeDriverState {
    int count;
    FakeDriverEvent events[256];
    // GetStatus reports the shown bit for these surfaces.
    K3V_Surface* busy[4];
    uint32_t caps1;
    uint32_t caps2;
};
