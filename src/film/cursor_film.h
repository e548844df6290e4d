#pragma once
// A film over one cursor (frame_cursor.h): the shift, round and invert it
// keeps, alike for every film of one source.

#include <cstdint>

#include "film/film.h"
#include "film/frame_cursor.h"

namespace plexo {

class CursorFilm : public Film {
public:
    StepRules Rules() const override { return {cursor_.shift, cursor_.round, cursor_.invert}; }
    void SetRules(const StepRules& rules) override
    {
        cursor_.shift = rules.shift;
        cursor_.round = rules.round;
        cursor_.invert = rules.invert;
    }

protected:
    FrameCursor cursor_;
};

}  // namespace plexo
