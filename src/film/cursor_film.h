#pragma once
// A film over one cursor (frame_cursor.h): the shift, round and invert it
// keeps, and its steps of one frame, alike for every film of one source.

#include <cstdint>

#include "film/film.h"
#include "film/frame_cursor.h"

namespace plexo {

class CursorFilm : public Film {
public:
    void SetShift(int32_t shift) override { cursor_.shift = shift; }
    void SetRound(bool round) override { cursor_.round = round; }
    void SetInvert(bool invert) override { cursor_.invert = invert; }
    int32_t GetShift() const override { return cursor_.shift; }
    bool GetRound() const override { return cursor_.round; }
    bool GetInvert() const override { return cursor_.invert; }
    bool Next() override { return Skip(1) == 1; }
    bool Prev() override { return Skip(-1) == 1; }

protected:
    FrameCursor cursor_;
};

}  // namespace plexo
