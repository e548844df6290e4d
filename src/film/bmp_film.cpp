#include "film/bmp_film.h"

#include <algorithm>

#include "film/factories.h"
#include "film/still_source.h"
#include "platform/log.h"
#include "platform/message_sink.h"

namespace plexo {

namespace {

// One bitmap row at a time: `in` is the stored row (padding ignored), `out`
// the picture row.
void GreyRow8(const uint8_t* in, uint8_t* out, int width, const uint8_t* table, int64_t entries)
{
    for (int x = 0; x < width; ++x) {
        const uint8_t* e = in[x] < entries ? table + 4 * in[x] : nullptr;
        out[x] = e ? uint8_t((e[0] + e[1] + e[2]) / 3) : 0;
    }
}

void ColourRow8(const uint8_t* in, uint8_t* out, int width, const uint8_t* table, int64_t entries)
{
    for (int x = 0; x < width; ++x, out += 3) {
        const uint8_t* e = in[x] < entries ? table + 4 * in[x] : nullptr;
        out[0] = e ? e[0] : 0;
        out[1] = e ? e[1] : 0;
        out[2] = e ? e[2] : 0;
    }
}

void GreyRow24(const uint8_t* in, uint8_t* out, int width)
{
    for (int x = 0; x < width; ++x, in += 3)
        out[x] = std::max({in[0], in[1], in[2]});
}

void ColourRow32(const uint8_t* in, uint8_t* out, int width)
{
    for (int x = 0; x < width; ++x, in += 4, out += 3) {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
    }
}

}  // namespace

PictureBuffer BitmapPicture(CDIBitmap& bitmap, Tone tone)
{
    const int depth = bitmap.BitCount();
    const bool supported = depth == 8 || depth == 24 || (depth == 32 && tone == Tone::Colour);
    if (!bitmap.Loaded() || !supported)
        return {};
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    if (depth == 24 && tone == Tone::Colour && bitmap.RowBytes() == int64_t(width) * 3)
        return {bitmap.TakeBits(), width, height, 3};
    PictureBuffer picture = PictureBuffer::allocate(width, height, tone == Tone::Colour ? 3 : 1);
    if (!picture)
        return {};
    // Load guarantees RowBytes() x height stored bytes, rows bottom first like
    // the picture's, each at least width x depth / 8 bytes long.
    const int64_t stride = bitmap.RowBytes();
    for (int r = 0; r < height; ++r) {
        const uint8_t* in = bitmap.Bits() + r * stride;
        uint8_t* out = picture.row(r);
        if (depth == 8 && tone == Tone::Grey)
            GreyRow8(in, out, width, bitmap.ColourTable(), bitmap.ColourCount());
        else if (depth == 8)
            ColourRow8(in, out, width, bitmap.ColourTable(), bitmap.ColourCount());
        else if (depth == 24 && tone == Tone::Grey)
            GreyRow24(in, out, width);
        else if (depth == 24)
            std::copy_n(in, size_t(width) * 3, out);
        else
            ColourRow32(in, out, width);
    }
    return picture;
}

PictureBuffer ReadBmpFile(const std::string& path, Tone tone, bool& reported)
{
    std::optional<InputFile> file = InputFile::Open(path);
    if (!file)
        return {};
    CDIBitmap bitmap;
    if (const char* refusal = bitmap.Read(*file)) {
        // A frame met on every playback tick and every repaint would raise
        // its box again and again; it is shown once.
        if (!reported) {
            reported = true;
            const std::string named = std::string(refusal) + ": " + path;
            platform::ShowMessage(named);
            LogMessage(named);
        }
        return {};
    }
    return BitmapPicture(bitmap, tone);
}

PictureBuffer BmpCadre::Build(Tone tone)
{
    return ReadBmpFile(path(), tone, reported_);
}

FilmPtr OpenBmpFilm(const std::string& chosenFile, const LayoutChoice& choice)
{
    auto decode = [reported = std::make_shared<bool>(false)](const std::string& path, SourceFrame& frame) {
        return WholeFrame(ReadBmpFile(path, Tone::Colour, *reported), frame);
    };
    return StillFilm<BmpCadre>(GatherRunOrFile(chosenFile, ".bmp"), decode, ChosenOrNamed(choice, chosenFile));
}

}  // namespace plexo
