#include "film/cadre.h"

namespace plexo {

const uint8_t* Cadre::Picture(Tone tone, int32_t& width, int32_t& height)
{
    if (!cached_ || cachedTone_ != tone) {
        cached_ = {};
        cached_ = Build(tone);
        cachedTone_ = tone;
        if (!cached_)
            return nullptr;
    }
    width = cached_.width;
    height = cached_.height;
    return cached_.bytes.get();
}

}  // namespace plexo
