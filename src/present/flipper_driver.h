#pragma once
// The external flipper driver, K3V_DD.so: found in the folder that the
// registry's "SOFTWARE\K3V" value "KORVA" names, loaded with dlopen and
// filled through its one export, K3V_DDFillFunctions. The record and its
// tables are the C structures of platform/k3v_dd.h.

#include <cstdint>

#include "platform/k3v_dd.h"

namespace plexo {

using FlipperDriver = K3V_FlipperDriver;

inline constexpr const char* kDriverFileName = "K3V_DD.so";

// Loads the driver into a new record. K3V_RESULT_OK with *record set, or:
// K3V_RESULT_NO_MEMORY, the registry's result (platform::kRegistryReadFailed)
// when the folder is not registered, K3V_RESULT_NO_LIBRARY when the library
// or its export is missing or the export fills none of the slots that start,
// stop, mark and present. On failure nothing is left loaded or allocated.
K3V_Result LoadFlipperDriver(FlipperDriver** record);

// The release routine the system puts into slot 10: the driver's cleanup
// entry, then the tables, the library and the record go.
// K3V_RESULT_NO_RECORD for a null record, K3V_RESULT_BAD_RECORD for one whose
// size is below 12.
K3V_Result ReleaseFlipperDriver(FlipperDriver* record, uint32_t adapter);

// Whether the driver's extension table reaches the named entry.
bool ExtensionHasCleanup(const K3V_Extension* extension);
bool ExtensionHasDeviceName(const K3V_Extension* extension);

}  // namespace plexo
