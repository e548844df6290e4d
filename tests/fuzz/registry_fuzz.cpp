// The registry file: any contents, asked for any key and value, give data
// that fits its room or nothing, and any "DDrawKey" text parses.
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "platform/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plexo::platform;
    // The file, then the key path and the value name, split at NULs.
    std::vector<std::string> parts = plexo::fuzz::SplitAtNuls(data, size, 3);
    parts.resize(3);
    const std::string path = plexo::fuzz::WriteInput("registry.ini", reinterpret_cast<const uint8_t*>(parts[0].data()),
                                                     parts[0].size());
    setenv("PLEXO_REGISTRY", path.c_str(), 1);
    const std::optional<Registry> registry = Registry::Read();
    if (registry) {
        if (const auto value = registry->Value(parts[1], parts[2]); value && value->size() >= kRegistryDataLimit)
            __builtin_trap();
        (void)registry->DeviceGuidOf(0);
    }
    (void)ParseDeviceGuid(parts[1]);
    return 0;
}
