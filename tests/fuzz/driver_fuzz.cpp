// The driver's tables: the fake driver tells the lies the input scripts (any
// results, empty slots, a table of its own or a short or lying extension in
// the record, up to a page written into every record a call fills). The page
// flipper opens it, flips, shows pairs and closes (or goes while flipping)
// without a bad read, write or free, and keeps its own records whole.
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fake_drivers/fake_driver.h"
#include "fuzz_input.h"
#include "present/dd_flipper.h"
#include "support/memory_display.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plexo;
    static FakeDriverState* state = [] {
        const std::string registry = "[SOFTWARE\\K3V]\nKORVA=" FAKE_DRIVER_DIR "\n";
        setenv("PLEXO_REGISTRY",
               fuzz::WriteInput("registry.ini", reinterpret_cast<const uint8_t*>(registry.data()), registry.size()).c_str(),
               1);
        // Held open, so the lies outlive every load and release.
        void* pin = ::dlopen(FAKE_DRIVER_DIR "/K3V_DD.so", RTLD_NOW);
        void* symbol = pin ? ::dlsym(pin, "fake_driver_state") : nullptr;
        if (!symbol)
            __builtin_trap();
        return static_cast<FakeDriverState*>(symbol);
    }();
    FakeDriverLies lies{};
    std::memcpy(&lies, data, std::min(size, sizeof lies));
    // Mostly a fill that succeeds and honest results, so the flipping is reached.
    lies.fillResult = lies.fillResult % 8 ? 0 : lies.fillResult;
    for (uint32_t& r : lies.results)
        r = r % 8 ? 0 : r;
    lies.extensionBytes %= sizeof(K3V_Extension) + 8;
    state->lies = lies;
    state->count = 0;

    platform::SetDisplayOutput(std::make_shared<platform::MemoryDisplay>(16, 8));
    {
        DDFlipper flipper;
        flipper.host.readMode = [](const std::string&) { return std::optional<platform::DisplayMode>({24, 16, 8, 60}); };
        flipper.Open();
        const K3V_FlipDisplayInfo& info = flipper.displayInfo();
        if (flipper.driver() && (::strnlen(info.deviceName, sizeof info.deviceName) == sizeof info.deviceName ||
                                 info.width != 16 || flipper.caps().size != 12 || lies.replaceTable))
            __builtin_trap();
        flipper.StartFlipping();
        platform::BitmapInfoHeader header;
        header.width = 4;
        header.height = 2;
        const std::vector<uint8_t> pixels(4 * 2 * 3, 0x7F);
        flipper.ShowPair({1, 1, 5, 3}, header, pixels.data(), pixels.data());
        if (size > sizeof lies && data[sizeof lies] & 1) {
            flipper.Close();
            flipper.ReleaseDirectDraw();
        }
    }
    platform::SetDisplayOutput(nullptr);
    return 0;
}
