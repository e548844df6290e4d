#include "present/flipper_driver.h"

#include <dlfcn.h>

#include <cstddef>
#include <cstdlib>
#include <string>

#include "platform/ddraw.h"
#include "platform/registry.h"

namespace plexo {

namespace {

// The slots without which the driver cannot show anything.
bool FillsTheFlippingSlots(const K3V_FunctionTable& t)
{
    return t.StartStereo && t.StopStereo && t.Present && t.SetEye;
}

void FreeRecord(FlipperDriver* record)
{
    std::free(record->functions);
    std::free(record);
}

}  // namespace

bool ExtensionHasCleanup(const K3V_Extension* e)
{
    return e && e->size >= offsetof(K3V_Extension, Cleanup) + sizeof(e->Cleanup) && e->Cleanup;
}

bool ExtensionHasDeviceName(const K3V_Extension* e)
{
    return e && e->size >= offsetof(K3V_Extension, GetDeviceName) + sizeof(e->GetDeviceName) && e->GetDeviceName;
}

K3V_Result LoadFlipperDriver(FlipperDriver** out)
{
    *out = nullptr;
    auto* record = static_cast<FlipperDriver*>(std::calloc(1, sizeof(FlipperDriver)));
    auto* table = static_cast<K3V_FunctionTable*>(std::calloc(1, sizeof(K3V_FunctionTable)));
    if (!record || !table) {
        std::free(record);
        std::free(table);
        return K3V_RESULT_NO_MEMORY;
    }
    record->functions = table;
    std::string path;
    if (const auto folder = platform::ReadRegistryValue("SOFTWARE\\K3V", "KORVA")) {
        path = *folder;
    } else {
        FreeRecord(record);
        return platform::kRegistryReadFailed;
    }
    if (path.empty() || path.back() != '/')
        path += '/';
    path += kDriverFileName;

    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        FreeRecord(record);
        return K3V_RESULT_NO_LIBRARY;
    }
    record->size = sizeof(FlipperDriver);
    record->module = module;
    record->host = platform::HostServices();
    const auto fill = reinterpret_cast<K3V_FillFunctionsFn>(::dlsym(module, K3V_FILL_FUNCTIONS_NAME));
    if (fill)
        fill(record);
    record->functions->Release = ReleaseFlipperDriver;
    if (!fill || !FillsTheFlippingSlots(*record->functions)) {
        ReleaseFlipperDriver(record, 0);
        return K3V_RESULT_NO_LIBRARY;
    }
    *out = record;
    return K3V_RESULT_OK;
}

K3V_Result ReleaseFlipperDriver(FlipperDriver* record, uint32_t)
{
    if (!record)
        return K3V_RESULT_NO_RECORD;
    if (record->size < 12)
        return K3V_RESULT_BAD_RECORD;
    if (ExtensionHasCleanup(record->extension))
        record->extension->Cleanup(record);
    std::free(record->extension);
    if (record->module)
        ::dlclose(record->module);
    FreeRecord(record);
    return K3V_RESULT_OK;
}

}  // namespace plexo
