#pragma once
// The four picture operations of a film that makes every picture through one
// call taking the eye and the tone.

#include <cstdint>

#include "film/film.h"

namespace plexo {

template <class Base>
class PicturesByEye : public Base {
public:
    using Base::Base;

    const uint8_t* GreyPicture(int32_t& width, int32_t& height) override
    {
        return EyePicture(Eye::Current, Tone::Grey, width, height);
    }
    const uint8_t* PartnerGreyPicture(int32_t& width, int32_t& height) override
    {
        return EyePicture(Eye::Partner, Tone::Grey, width, height);
    }
    const uint8_t* ColourPicture(int32_t& width, int32_t& height) override
    {
        return EyePicture(Eye::Current, Tone::Colour, width, height);
    }
    const uint8_t* PartnerColourPicture(int32_t& width, int32_t& height) override
    {
        return EyePicture(Eye::Partner, Tone::Colour, width, height);
    }

protected:
    virtual const uint8_t* EyePicture(Eye eye, Tone tone, int32_t& width, int32_t& height) = 0;
};

}  // namespace plexo
