#pragma once
// The Translate dialog's last choices, section "Translate".

#include <cstdint>

namespace plexo::platform {

struct TranslateSettings {
    // The JPEG quality is held to this range when read.
    static constexpr int32_t kMinQuality = 1;
    static constexpr int32_t kMaxQuality = 100;
    int32_t way = 0;
    int32_t scale = 1;
    int32_t color = 1;
    int32_t quality = 95;

    static TranslateSettings Read();
    void Write() const;
};

}  // namespace plexo::platform
