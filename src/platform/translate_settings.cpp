#include "platform/translate_settings.h"

#include <algorithm>

#include "platform/profile_int_keys.h"

namespace plexo::platform {

namespace {
constexpr const char* kTranslate = "Translate";
constexpr IntKey<TranslateSettings> kTranslateKeys[] = {
    {"Way", &TranslateSettings::way},
    {"Scale", &TranslateSettings::scale},
    {"Color", &TranslateSettings::color},
    {"Quality", &TranslateSettings::quality},
};
}  // namespace

TranslateSettings TranslateSettings::Read()
{
    TranslateSettings s = ReadIntKeys(kTranslate, kTranslateKeys);
    // Only a hand-edited file holds a quality the encoder refuses; every
    // JPEG or packed conversion would then fail.
    s.quality = std::clamp(s.quality, kMinQuality, kMaxQuality);
    return s;
}

void TranslateSettings::Write() const { WriteIntKeys(kTranslate, kTranslateKeys, *this); }

}  // namespace plexo::platform
