#pragma once
// One frame of a single-source film: its number and a cache of one picture,
// grey or colour.

#include <cstdint>
#include <string>

#include "film/film.h"
#include "image/picture.h"

namespace plexo {

class Cadre {
public:
    explicit Cadre(int32_t number) : number(number) {}
    virtual ~Cadre() = default;
    Cadre(const Cadre&) = delete;
    Cadre& operator=(const Cadre&) = delete;

    // The cached picture when it is of the asked kind; otherwise the cache is
    // emptied and the picture built anew from the frame's source. Null when it
    // cannot be built.
    const uint8_t* GreyPicture(int32_t& width, int32_t& height) { return Picture(Tone::Grey, width, height); }
    const uint8_t* ColourPicture(int32_t& width, int32_t& height) { return Picture(Tone::Colour, width, height); }
    void ReleasePicture() { cached_ = {}; }

    bool HasCachedPicture() const { return bool(cached_); }
    // The file the picture is read from; empty when it is no file of its own.
    virtual std::string SourceFile() const { return {}; }

    // The frame number: the digits of a numbered file, or the number stored
    // with (or the index of) a .flm record.
    int32_t number;

protected:
    // Builds the frame's picture of the given kind from its source. A null
    // buffer means no picture.
    virtual PictureBuffer Build(Tone tone) = 0;

private:
    const uint8_t* Picture(Tone tone, int32_t& width, int32_t& height);

    PictureBuffer cached_;
    Tone cachedTone_ = Tone::Grey;
};

}  // namespace plexo
