// The document's stereo choice: the presentation, the adjustments and the
// film's own adjustments kept in the "Films" section.

#include <algorithm>

#include "doc/document.h"
#include "doc/film_alignment.h"

namespace plexo {

namespace {

// The record's fields: D only when the keys set it, swap only when on, the
// vertical move only when not 0.
constexpr const char* kSwapField = "swap";
constexpr const char* kVerticalField = "vertical";
// A two-view film's eye offset, only when not 0.
constexpr const char* kEyeOffsetField = "eye-offset";
// Far beyond any rig's; a hand-edited value past it is not trusted.
constexpr int32_t kMaxEyeOffset = 1000000;

int32_t Held(int64_t value)
{
    return int32_t(std::clamp<int64_t>(value, -kMaxAdjustment, kMaxAdjustment));
}

}  // namespace

void CPlexoDoc::RecallAdjustments()
{
    if (!film_)
        filmPaths_.clear();
    filmKey_ = filmPaths_.empty() ? std::string() : FilmKey(filmPaths_);
    record_ = filmKey_.empty() ? FilmRecord() : RecallFilm(filmKey_);
    stereo_.adjust = {.swap = record_.Number(kSwapField, 1) == 1,
                      .dist = record_.Number(kDistField, kMaxAdjustment).value_or(DefaultDist()),
                      .vertical = record_.Number(kVerticalField, kMaxAdjustment).value_or(0)};
    // Shown again, so it is the newest of the films kept.
    if (!record_.empty())
        KeepFilm(filmKey_, record_);
    // Opening never gives a two-view film Shift as its eye offset.
    if (twoView())
        film_->SetShift(ShiftFor(*film_));
}

int32_t CPlexoDoc::DefaultDist() const
{
    // A two-view film's eyes are a pair already, often aligned by their
    // camera: moved apart only by the film's own D, or the one its file
    // asks for (a spatial photo's disparity adjustment).
    return twoView() ? Held(film_->Facts().statedDist.value_or(0)) : Held(Dist);
}

int32_t CPlexoDoc::ShiftFor(const Film& film) const
{
    return film.Eyes() == 2 ? record_.Number(kEyeOffsetField, kMaxEyeOffset).value_or(0) : Shift;
}

void CPlexoDoc::setEyeOffset(int32_t offset)
{
    if (!twoView())
        return;
    const int32_t held = std::clamp(offset, -kMaxEyeOffset, kMaxEyeOffset);
    film_->SetShift(held);
    if (held != 0)
        record_.SetNumber(kEyeOffsetField, held);
    else
        record_.Erase(kEyeOffsetField);
    KeepAdjustments();
}

std::string CPlexoDoc::alignment() const
{
    return record_.Text(kAlignField).value_or("");
}

void CPlexoDoc::setAlignment(const std::string& align)
{
    if (align.empty())
        record_.Erase(kAlignField);
    else
        record_.SetText(kAlignField, align);
    KeepAdjustments();
}

void CPlexoDoc::KeepAdjustments()
{
    if (!filmKey_.empty())
        KeepFilm(filmKey_, record_);
    TellFilmMoved();
}

void CPlexoDoc::ChoosePresentation(PresentationId presentation)
{
    if (presentation == PresentationId::Plain)
        return;
    stereo_.presentation = presentation;
    TellFilmMoved();
}

void CPlexoDoc::SwapEyes()
{
    stereo_.adjust.swap = !stereo_.adjust.swap;
    if (stereo_.adjust.swap)
        record_.SetNumber(kSwapField, 1);
    else
        record_.Erase(kSwapField);
    KeepAdjustments();
}

void CPlexoDoc::MoveAdjustments(int32_t dist, int32_t vertical)
{
    StereoAdjustments& adjust = stereo_.adjust;
    const int32_t movedDist = Held(int64_t(adjust.dist) + dist);
    const int32_t movedVertical = Held(int64_t(adjust.vertical) + vertical);
    if (movedDist == adjust.dist && movedVertical == adjust.vertical)
        return;
    if (dist != 0)
        record_.SetNumber(kDistField, movedDist);
    if (movedVertical != 0)
        record_.SetNumber(kVerticalField, movedVertical);
    else
        record_.Erase(kVerticalField);
    adjust.dist = movedDist;
    adjust.vertical = movedVertical;
    KeepAdjustments();
}

void CPlexoDoc::ResetAdjustments()
{
    stereo_.adjust = {.swap = false, .dist = DefaultDist(), .vertical = 0};
    for (const char* field : {kDistField, kSwapField, kVerticalField, kAlignField})
        record_.Erase(field);
    KeepAdjustments();
}

void CPlexoDoc::setDist(int32_t dist)
{
    if (twoView()) {
        MoveAdjustments(Held(dist) - stereo_.adjust.dist, 0);
        return;
    }
    Dist = dist;
    stereo_.adjust.dist = Held(dist);
    if (record_.Erase(kDistField) && !filmKey_.empty())
        KeepFilm(filmKey_, record_);
}

}  // namespace plexo
