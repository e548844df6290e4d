#include "film/two_films.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "platform/log.h"

namespace plexo {

namespace {

// A composite larger than this is refused: its byte count is a signed 32-bit
// number.
constexpr int64_t kMaxCompositeBytes = INT32_MAX;

// Rows of `from` cut to `columns` pixels, bottom row first, into `to` from
// its row `firstRow` on.
void StackRows(const Picture& from, int64_t columns, uint8_t* to, int64_t firstRow)
{
    const size_t rowBytes = size_t(columns) * size_t(from.bytesPerPixel);
    for (int r = 0; r < from.height; ++r)
        std::memcpy(to + size_t(firstRow + r) * rowBytes, from.row(r), rowBytes);
}

// Rows 0 to rows − 1 of `left` followed by those of `right`.
void JoinRows(const Picture& left, const Picture& right, int64_t rows, uint8_t* to)
{
    const size_t leftBytes = left.rowBytes();
    const size_t rightBytes = right.rowBytes();
    for (int r = 0; r < rows; ++r) {
        uint8_t* row = to + size_t(r) * (leftBytes + rightBytes);
        std::memcpy(row, left.row(r), leftBytes);
        std::memcpy(row + leftBytes, right.row(r), rightBytes);
    }
}

// Side by side, rows above the shorter picture's height are cut; one above
// the other, columns right of the narrower picture's width.
std::string CutLine(const Picture& a, const Picture& b, bool sideBySide)
{
    const std::string sizes = std::to_string(a.width) + "x" + std::to_string(a.height) + " and " +
                              std::to_string(b.width) + "x" + std::to_string(b.height);
    if (sideBySide)
        return "Pair of " + sizes + ": " + std::to_string(std::abs(a.height - b.height)) +
               " rows cut from the top of the taller picture";
    return "Pair of " + sizes + ": " + std::to_string(std::abs(a.width - b.width)) +
           " columns cut from the right of the wider picture";
}

}  // namespace

TwoFilms::TwoFilms(FilmPtr first, FilmPtr second, int32_t side)
    : first_(std::move(first)), second_(std::move(second)), side_(side)
{
}

TwoFilms::~TwoFilms()
{
    composite_.reset();
    second_.reset();
    first_.reset();
}

const uint8_t* TwoFilms::EyePicture(Eye eye, Tone tone, int32_t& width, int32_t& height)
{
    const Picture a = FilmPicture(*first_, eye, tone);
    const Picture b = FilmPicture(*second_, eye, tone);
    if (!a || !b)
        return nullptr;
    const bool sideBySide = side_ == kAddRight || side_ == kAddLeft;
    const int64_t w = sideBySide ? int64_t(a.width) + b.width : std::min(a.width, b.width);
    const int64_t h = sideBySide ? std::min(a.height, b.height) : int64_t(a.height) + b.height;
    const int64_t count = w * h * a.bytesPerPixel;
    if (w > INT32_MAX || h > INT32_MAX || count > kMaxCompositeBytes)
        return nullptr;
    if (size_t(count) > capacity_) {
        composite_.reset();
        capacity_ = 0;
        composite_.reset(new (std::nothrow) uint8_t[size_t(count)]);
        if (!composite_)
            return nullptr;
        capacity_ = size_t(count);
    }
    uint8_t* to = composite_.get();
    switch (side_) {
    case kAddRight:
        JoinRows(a, b, h, to);
        break;
    case kAddLeft:
        JoinRows(b, a, h, to);
        break;
    case kAddBottom:
        StackRows(b, w, to, 0);
        StackRows(a, w, to, b.height);
        break;
    case kAddTop:
        StackRows(a, w, to, 0);
        StackRows(b, w, to, a.height);
        break;
    default:
        return nullptr;
    }
    // Once a pair, so that the log tells why part of a picture is missing
    // without a line on every frame.
    if (!cutLogged_ && (sideBySide ? a.height != b.height : a.width != b.width)) {
        cutLogged_ = true;
        LogMessage(CutLine(a, b, sideBySide));
    }
    width = int32_t(w);
    height = int32_t(h);
    return to;
}

void TwoFilms::SetRules(const StepRules& rules)
{
    first_->SetRules(rules);
    second_->SetRules(rules);
}

FilmFacts TwoFilms::Facts() const
{
    FilmFacts facts = first_->Facts();
    facts.cachesItsFrames = facts.cachesItsFrames || second_->CachesItsFrames();
    return facts;
}

bool TwoFilms::Seek(int32_t position)
{
    const bool first = first_->Seek(position);
    const bool second = second_->Seek(position);
    return first && second;
}

int32_t TwoFilms::Skip(int32_t steps)
{
    // Step by step, the second film tries each step the first made, and the
    // first step it refuses is the first film's last.
    const int32_t from = first_->Position();
    const int32_t firstMade = first_->Skip(steps);
    const int32_t secondMade = second_->Skip(steps > 0 ? firstMade : -firstMade);
    if (secondMade < firstMade) {
        first_->Seek(from);
        first_->Skip(steps > 0 ? secondMade + 1 : -(secondMade + 1));
    }
    return secondMade;
}

void TwoFilms::ReleasePictures()
{
    first_->ReleasePictures();
    second_->ReleasePictures();
}

FilmPtr PairFilms(FilmPtr&& first, FilmPtr&& second, int32_t side)
{
    if (!first || !second || side < kAddRight || side > kAddTop)
        return nullptr;
    return std::make_unique<TwoFilms>(std::move(first), std::move(second), side);
}

}  // namespace plexo
