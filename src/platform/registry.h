#pragma once
// The machine-wide keys that locate the flipper driver. They live in the
// registry file: a section is a key path ("[SOFTWARE\K3V]"), a line
// "value=data" is one value of it. Key paths and value names are matched
// without regard to case.

#include <cstdint>
#include <optional>
#include <string>

namespace plexo::platform {

// The longest value name that is enumerated, and the room for a value's data
// including its terminating zero; a value beyond either is not read.
inline constexpr size_t kRegistryNameLimit = 80;
inline constexpr size_t kRegistryDataLimit = 256;

// The file is read whole, as the settings are: a regular file only, opened
// without blocking, of at most this many bytes and lines of at most this many.
inline constexpr size_t kRegistryFileLimit = 64 << 10;
inline constexpr size_t kRegistryLineLimit = 4 << 10;

// The file PLEXO_REGISTRY names; else the first that exists of
// /etc/plexo/registry.ini and PREFIX/etc/plexo/registry.ini, PREFIX being the
// folder above the running program's own folder (an install under a prefix
// other than /usr); else the first of them.
std::string RegistryFilePath();

// That choice without the variable: `systemFile` if it exists, else the
// prefix's file beside `executable` if that exists, else `systemFile`.
std::string RegistryFileFor(const std::string& systemFile, const std::string& executable);

// The result a failed read reports to those who pass it on as a code.
inline constexpr uint32_t kRegistryReadFailed = 24;

// A DirectDraw device identifier, laid out as the C header's K3V_GUID.
struct DeviceGuid {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    uint8_t data4[8] = {};
    bool operator==(const DeviceGuid&) const = default;
};

// The "DDrawKey" text "XXXXXXXX-XXXX-XXXX-XX-XX-XX-XX-XX-XX-XX-XX": hex digits
// at fixed places, the characters between skipped; a character that is not a
// hex digit, or lies beyond the text, counts as 0.
DeviceGuid ParseDeviceGuid(const std::string& text);

// The registry file as read once.
class Registry {
public:
    // nullopt when there is no file, or when it is refused (not a regular
    // file, too large, a line too long, unreadable), which logs one line.
    static std::optional<Registry> Read();

    // The data of the value, or nullopt when the key or the value is missing,
    // or the data does not fit the room.
    std::optional<std::string> Value(const std::string& keyPath, const std::string& valueName) const;

    // The device identifier of adapter `adapter` from
    // "SOFTWARE\K3V\FLIPPER\KORVA\<adapter>", value "DDrawKey".
    std::optional<DeviceGuid> DeviceGuidOf(uint32_t adapter) const;

    // The absolute folder the file lies in: a relative folder named in the
    // file is taken from here, never from the current folder.
    const std::string& folder() const { return folder_; }

private:
    Registry(std::string text, std::string folder) : text_(std::move(text)), folder_(std::move(folder)) {}
    std::string text_;
    std::string folder_;
};

}  // namespace plexo::platform
