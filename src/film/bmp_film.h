#pragma once
// A film of BMP files, a numbered run or one file alone: one frame a file,
// read through CDIBitmap on every picture request.

#include <string>

#include "film/cadre.h"
#include "film/numbered_sequence.h"
#include "image/dib_bitmap.h"

namespace plexo {

// The system picture of a loaded bitmap. Grey: 8-bit pixels as the mean of
// their table entry, 24-bit pixels as the largest of their three bytes.
// Colour: 8-bit pixels as their table entry, 24-bit pixels as they are, 32-bit
// pixels without their fourth byte. An 8-bit index beyond a shortened table
// is black. Every other depth and kind gives no picture. Rows of 24-bit
// colour that need no padding already are the picture: they are taken over,
// which leaves the bitmap unloaded.
PictureBuffer BitmapPicture(CDIBitmap& bitmap, Tone tone);

// The picture of a BMP file. A file the reader refuses shows the reader's
// message with the file's name ("Not a bitmap file: PATH") and logs it unless
// `reported` is set, and sets it: later requests of the same film give no
// picture silently.
PictureBuffer ReadBmpFile(const std::string& path, Tone tone, bool& reported);

class BmpCadre : public FileCadre {
public:
    using FileCadre::FileCadre;

protected:
    PictureBuffer Build(Tone tone) override;

private:
    bool reported_ = false;
};

}  // namespace plexo
