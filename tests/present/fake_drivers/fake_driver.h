/* What a fake flipper driver records of its calls, reached by tests through
 * the library's symbol "fake_driver_state". */
#ifndef PLEXO_FAKE_DRIVER_H
#define PLEXO_FAKE_DRIVER_H

#include "platform/k3v_dd.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct FakeDriverEvent {
    int slot;
    K3V_Surface* surface;
    uint32_t value;
} FakeDriverEvent;

typedef struct FakeDriverState {
    int count;
    FakeDriverEvent events[256];
    /* GetStatus reports the shown bit for these surfaces. */
    K3V_Surface* busy[4];
    uint32_t caps1;
    uint32_t caps2;
} FakeDriverState;

#ifdef __cplusplus
}
#endif

#endif
