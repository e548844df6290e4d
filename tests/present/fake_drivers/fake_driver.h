#pragma once
// What a fake flipper driver records of its calls, and the lies it is to
// tell, reached by tests and the driver-table fuzz harness through the
// library's symbol "fake_driver_state".

#include "plexo/k3v_dd.h"

struct FakeDriverEvent {
    int slot;
    K3V_Surface* surface;
    uint32_t value;
};

// All zero: an honest driver. Byte counts are what a call writes into the
// record it fills (at most a page).
struct FakeDriverLies {
    uint32_t fillResult = 0;
    uint32_t replaceTable = 0;
    uint32_t recordSize = 0;      // written over the record's size when not 0
    uint32_t extensionBytes = 0;  // allocated when not 0, else the whole table
    uint32_t extensionSize = 0;   // its size field when not 0, else the whole table
    uint32_t capsBytes = 0, nameBytes = 0, statusBytes = 0;
    uint32_t emptySlots = 0;      // bit n: slot n is left empty
    uint32_t results[12] = {};    // by slot; [10]: the device name's
};

struct FakeDriverState {
    int count;
    FakeDriverEvent events[256];
    // GetStatus reports the shown bit for these surfaces.
    K3V_Surface* busy[4];
    uint32_t caps1;
    uint32_t caps2;
    FakeDriverLies lies;
};
