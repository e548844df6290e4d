#include "present/flipper_driver.h"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <new>
#include <set>
#include <vector>

#include "platform/ddraw.h"

// The running program's own ELF header, which the linker provides: a driver
// must be built for the same machine, class and byte order.
extern "C" const ElfW(Ehdr) __ehdr_start;

namespace plexo {

namespace {

// Room past every record the driver is handed, into which it may write
// without reaching anything of the host's.
constexpr size_t kSpare = 4096;

template <typename T>
struct Spared {
    T value;
    uint8_t spare[kSpare];
};

// What the host keeps of a loaded driver. The record handed out comes first,
// so the release routine finds the rest from it.
struct LoadedDriver {
    Spared<FlipperDriver> record;
    Spared<K3V_FunctionTable> table;
    K3V_FunctionTable calls;        // the table as the fill left it
    void* module;
    K3V_Extension* extension;       // the driver's, as the fill left it
    K3V_Extension known;            // what its allocation and its size reach
};

std::mutex& LiveMutex()
{
    static std::mutex mutex;
    return mutex;
}

// The records this process loaded and has not released.
std::set<const FlipperDriver*>& Live()
{
    static std::set<const FlipperDriver*> live;
    return live;
}

LoadedDriver* Loaded(const FlipperDriver* record)
{
    std::lock_guard lock(LiveMutex());
    return Live().count(record) ? reinterpret_cast<LoadedDriver*>(const_cast<FlipperDriver*>(record)) : nullptr;
}

// The slots without which the driver cannot show anything.
bool FillsTheFlippingSlots(const K3V_FunctionTable& t)
{
    return t.StartStereo && t.StopStereo && t.Present && t.SetEye;
}

// The extension's entries that lie inside what the driver allocated: the
// cleanup entry whenever it is there, the others only where the table's own
// size reaches them too.
K3V_Extension KnownPart(K3V_Extension* extension)
{
    K3V_Extension known{};
    if (!extension)
        return known;
    const size_t reach = std::min(::malloc_usable_size(extension), sizeof known);
    std::memcpy(&known, extension, reach);
    known.size = uint32_t(std::min<size_t>(known.size, reach));
    if (reach < offsetof(K3V_Extension, Cleanup) + sizeof known.Cleanup)
        known.Cleanup = nullptr;
    return known;
}

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

std::string DriverPath(const platform::Registry& registry, const std::string& folder)
{
    std::filesystem::path path(folder);
    if (path.is_relative())
        path = std::filesystem::path(registry.folder()) / path;
    return (path / kDriverFileName).string();
}

bool ReadExactly(int fd, void* into, size_t size, off_t offset)
{
    return ::pread(fd, into, size, offset) == ssize_t(size);
}

std::string ElfFault(int fd, uint64_t fileSize)
{
    ElfW(Ehdr) header;
    if (!ReadExactly(fd, &header, sizeof header, 0) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
        return "not an ELF file";
    const ElfW(Ehdr)& own = __ehdr_start;
    if (header.e_ident[EI_CLASS] != own.e_ident[EI_CLASS] || header.e_ident[EI_DATA] != own.e_ident[EI_DATA] ||
        header.e_machine != own.e_machine)
        return "built for another machine";
    if (header.e_type != ET_DYN)
        return "not a shared library";
    if (header.e_phentsize != sizeof(ElfW(Phdr)) || header.e_phoff > fileSize ||
        header.e_phnum > (fileSize - header.e_phoff) / sizeof(ElfW(Phdr)))
        return "its program headers lie beyond the end of the file";
    std::vector<ElfW(Phdr)> segments(header.e_phnum);
    if (!ReadExactly(fd, segments.data(), segments.size() * sizeof(ElfW(Phdr)), off_t(header.e_phoff)))
        return "its program headers cannot be read";
    for (const ElfW(Phdr)& s : segments)
        if (s.p_type == PT_LOAD && (s.p_offset > fileSize || s.p_filesz > fileSize - s.p_offset))
            return "a loadable segment lies beyond the end of the file (cut short?)";
    return {};
}

}  // namespace

std::string DriverFileFault(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return std::strerror(errno);
    struct stat st {};
    std::string fault;
    if (::fstat(fd, &st) != 0)
        fault = std::strerror(errno);
    else if (!S_ISREG(st.st_mode))
        fault = "not a regular file";
    else
        fault = ElfFault(fd, uint64_t(st.st_size));
    ::close(fd);
    return fault;
}

K3V_Result LoadFlipperDriver(const std::optional<platform::Registry>& registry, FlipperDriver** out,
                             std::string* why)
{
    *out = nullptr;
    const auto refuse = [why](K3V_Result result, std::string reason) {
        if (why)
            *why = std::move(reason);
        return result;
    };
    const std::optional<std::string> folder =
        registry ? registry->Value("SOFTWARE\\K3V", "KORVA") : std::optional<std::string>();
    if (!folder)
        return refuse(platform::kRegistryReadFailed,
                      registry ? "no driver folder is registered in " + platform::RegistryFilePath()
                               : "no registry file " + platform::RegistryFilePath());
    const std::string path = DriverPath(*registry, *folder);
    if (const std::string fault = DriverFileFault(path); !fault.empty())
        return refuse(K3V_RESULT_NO_LIBRARY, "driver " + path + " refused: " + fault);

    auto* loaded = new (std::nothrow) LoadedDriver();
    if (!loaded)
        return refuse(K3V_RESULT_NO_MEMORY, "no memory for the driver");
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char* error = ::dlerror();
        delete loaded;
        return refuse(K3V_RESULT_NO_LIBRARY, "driver " + path + " refused: " + (error ? error : "cannot load"));
    }
    FlipperDriver* record = &loaded->record.value;
    loaded->module = module;
    record->size = sizeof(FlipperDriver);
    record->module = module;
    record->functions = &loaded->table.value;
    record->host = platform::HostServices();
    {
        std::lock_guard lock(LiveMutex());
        Live().insert(record);
    }
    const auto fill = reinterpret_cast<K3V_FillFunctionsFn>(::dlsym(module, K3V_FILL_FUNCTIONS_NAME));
    const K3V_Result filled = fill ? fill(record) : K3V_RESULT_NO_LIBRARY;
    const bool replaced = record->functions != &loaded->table.value;
    record->functions = &loaded->table.value;
    record->functions->Release = ReleaseFlipperDriver;
    loaded->calls = loaded->table.value;
    loaded->extension = record->extension;
    loaded->known = KnownPart(loaded->extension);

    std::string fault;
    if (!fill)
        fault = "it lacks " K3V_FILL_FUNCTIONS_NAME;
    else if (filled != K3V_RESULT_OK)
        fault = K3V_FILL_FUNCTIONS_NAME " failed with " + Hex(filled);
    else if (replaced)
        fault = "it replaced the function table it was given";
    else if (!FillsTheFlippingSlots(loaded->calls))
        fault = "it fills none of the slots that start, stop, mark and present";
    if (!fault.empty()) {
        ReleaseFlipperDriver(record, 0);
        return refuse(K3V_RESULT_NO_LIBRARY, "driver " + path + " refused: " + fault);
    }
    *out = record;
    return K3V_RESULT_OK;
}

K3V_Result ReleaseFlipperDriver(FlipperDriver* record, uint32_t)
{
    if (!record)
        return K3V_RESULT_NO_RECORD;
    LoadedDriver* loaded = Loaded(record);
    if (!loaded)
        return K3V_RESULT_BAD_RECORD;
    {
        std::lock_guard lock(LiveMutex());
        Live().erase(record);
    }
    if (loaded->known.Cleanup)
        loaded->known.Cleanup(record);
    std::free(loaded->extension);
    ::dlclose(loaded->module);
    delete loaded;
    return K3V_RESULT_OK;
}

const K3V_FunctionTable& DriverCalls(const FlipperDriver* record)
{
    static const K3V_FunctionTable none{};
    const LoadedDriver* loaded = Loaded(record);
    return loaded ? loaded->calls : none;
}

std::optional<K3V_DriverCaps> DriverCaps(FlipperDriver* record, uint32_t adapter)
{
    const auto get = DriverCalls(record).GetCaps;
    Spared<K3V_DriverCaps> caps{};
    caps.value.size = sizeof caps.value;
    if (!get || get(record, adapter, &caps.value) != K3V_RESULT_OK)
        return std::nullopt;
    caps.value.size = sizeof caps.value;
    return caps.value;
}

std::optional<std::string> DriverDeviceName(FlipperDriver* record, uint32_t adapter)
{
    const LoadedDriver* loaded = Loaded(record);
    if (!loaded || !K3V_HAS_ENTRY(&loaded->known, GetDeviceName))
        return std::nullopt;
    Spared<K3V_FlipDisplayInfo> info{};
    if (loaded->known.GetDeviceName(record, adapter, &info.value) != K3V_RESULT_OK)
        return std::nullopt;
    const char* name = info.value.deviceName;
    return std::string(name, ::strnlen(name, sizeof info.value.deviceName - 1));
}

std::optional<uint32_t> DriverSurfaceStatus(FlipperDriver* record, uint32_t adapter, K3V_Surface* surface)
{
    const auto get = DriverCalls(record).GetStatus;
    if (!get)
        return 0;
    Spared<uint32_t> status{};
    if (get(record, adapter, surface, &status.value) != K3V_RESULT_OK)
        return std::nullopt;
    return status.value;
}

}  // namespace plexo
