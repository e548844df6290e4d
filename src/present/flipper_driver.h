#pragma once
// The external flipper driver, K3V_DD.so: found in the folder that the
// registry's "SOFTWARE\K3V" value "KORVA" names (a relative folder is taken
// from the registry file's own folder), checked to be a whole ELF library
// for this machine, loaded with dlopen and filled through its one export,
// K3V_DDFillFunctions. The record and its tables are the C structures of
// plexo/k3v_dd.h.
//
// The driver is not trusted with the host's memory: the record, its function
// table and every record a call fills are handed out with room to spare, so
// a driver that writes past them harms nothing; every size it gives is
// clamped to what the host knows; the host calls through the table as the
// fill left it and frees only what it allocated itself, plus the extension
// table the driver was to allocate with malloc.

#include <cstdint>
#include <optional>
#include <string>

#include "plexo/k3v_dd.h"
#include "platform/registry.h"

namespace plexo {

using FlipperDriver = K3V_FlipperDriver;

inline constexpr const char* kDriverFileName = "K3V_DD.so";

// Loads the driver named by the registry into a new record. K3V_RESULT_OK
// with *record set, or: K3V_RESULT_NO_MEMORY, platform::kRegistryReadFailed
// when there is no registry or no folder in it, K3V_RESULT_NO_LIBRARY when
// the library is missing, is not a whole ELF library for this machine, lacks
// its export, the export reports failure or replaces the function table, or
// fills none of the slots that start, stop, mark and present. On failure
// nothing is left loaded or allocated and `why` (when given) says what was
// wrong, for the log.
K3V_Result LoadFlipperDriver(const std::optional<platform::Registry>& registry, FlipperDriver** record,
                             std::string* why = nullptr);

// The release routine the system puts into slot 10: the driver's cleanup
// entry, then the tables, the library and the record go.
// K3V_RESULT_NO_RECORD for a null record, K3V_RESULT_BAD_RECORD for one that
// this process did not load (whatever the driver wrote into its size).
K3V_Result ReleaseFlipperDriver(FlipperDriver* record, uint32_t adapter);

// The driver's slots as its fill left them, slot 10 being the system's own.
const K3V_FunctionTable& DriverCalls(const FlipperDriver* record);

// The calls that fill a record, each given a copy with room to spare and
// each result checked: nullopt when the driver lacks the entry or fails (a
// driver without a status entry reports every surface free).
std::optional<K3V_DriverCaps> DriverCaps(FlipperDriver* record, uint32_t adapter);
std::optional<std::string> DriverDeviceName(FlipperDriver* record, uint32_t adapter);
std::optional<uint32_t> DriverSurfaceStatus(FlipperDriver* record, uint32_t adapter, K3V_Surface* surface);

// Why the file at `path` cannot be loaded as a driver (empty when it can):
// it is not a regular file, not an ELF shared library for this machine, or
// one of its loadable segments lies beyond the end of the file, which would
// kill the process with SIGBUS inside dlopen.
std::string DriverFileFault(const std::string& path);

}  // namespace plexo
