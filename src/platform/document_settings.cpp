#include "platform/document_settings.h"

#include "platform/profile_int_keys.h"

namespace plexo::platform {

namespace {
constexpr const char* kSettings = "Settings";
constexpr IntKey<DocumentSettings> kDocumentKeys[] = {
    {"Alter", &DocumentSettings::alter}, {"Step", &DocumentSettings::step},   {"Dist", &DocumentSettings::dist},
    {"Shift", &DocumentSettings::shift}, {"Round", &DocumentSettings::round}, {"Invert", &DocumentSettings::invert},
};
}  // namespace

DocumentSettings DocumentSettings::Read() { return ReadIntKeys(kSettings, kDocumentKeys); }

void DocumentSettings::Write() const { WriteIntKeys(kSettings, kDocumentKeys, *this); }

}  // namespace plexo::platform
