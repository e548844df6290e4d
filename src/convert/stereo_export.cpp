#include "convert/stereo_export.h"

#include <algorithm>
#include <climits>
#include <memory>

#include "convert/file_identity.h"
#include "film/file_formats.h"
#include "film/numbered_sequence.h"
#include "platform/frame_settings.h"
#include "platform/message_sink.h"
#include "present/compositor.h"

namespace plexo {

namespace {

bool Stopped(const ConversionControl& control)
{
    return control.stop && control.stop->load();
}

// Puts the film on the walk's first frame with the export's pairing; the
// frames the walk writes, 0 when it has none. Every frame is written: the
// partners beyond either end wrap round, as the viewer pairs them when it
// loops, whichever way the shift points.
int32_t StartWalk(Film& film, const ExportOptions& options)
{
    film.SetShift(options.shift);
    film.SetRound(true);
    film.SetInvert(false);
    // A video's seek past the frames it holds lands on its last one.
    if (options.index)
        return *options.index >= 0 && *options.index < film.FrameCount() && film.Seek(*options.index) &&
                       film.Position() == *options.index
                   ? 1
                   : 0;
    return film.Seek(0) ? film.FrameCount() : 0;
}

// The next frame in play order; false at the last one, where a looping film
// would go back to the first (a video whose frames end early ends there too).
bool NextFrame(Film& film)
{
    const int32_t at = film.Position();
    return film.Next() && film.Position() > at;
}

double RateOf(const Film& film, const ExportOptions& options)
{
    return film.FrameRate() > 0 ? film.FrameRate() : options.fps;
}

int32_t Negated(int32_t value)
{
    return int32_t(std::min<int64_t>(-int64_t(value), INT32_MAX));
}

// A row whose frame holds the second eye first composes the pair with its
// eyes exchanged; negating D and the vertical alignment keeps each eye's
// place relative to the other, so the pair is the one the view shows. A row
// that records D moves no pixels by it.
StereoAdjustments AdjustmentsOf(const ExportFormat& format, const ExportOptions& options)
{
    StereoAdjustments adjust = options.adjust;
    if (format.distAsMetadata)
        adjust.dist = 0;
    if (format.secondEyeFirst)
        adjust = {!adjust.swap, Negated(adjust.dist), Negated(adjust.vertical)};
    return adjust;
}

// The natural size of the current pair's frame; empty when either picture
// cannot be had, which the view would show as black but a file must not.
std::optional<ViewRect> FrameRect(Film& film, const Presentation& shown)
{
    const Picture current = FilmPicture(film, Eye::Current, shown.tone);
    const int width = current.width, height = current.height;
    if (!current || !FilmPicture(film, Eye::Partner, shown.tone))
        return std::nullopt;
    const PixelSize size = NaturalSize(shown, width, height);
    if (size.width > INT32_MAX || size.height > INT32_MAX)
        return std::nullopt;
    return ViewRect{0, 0, int32_t(size.width), int32_t(size.height)};
}

Picture Visible(const FrameBuffer& frame)
{
    return frame.picture().subview(0, 0, frame.viewWidth(), frame.height());
}

// The eyes of a row that writes them apart, one at a time since a film's
// picture lasts until the next is asked for. Eyes written whole and alike in
// size are the film's own pictures, which saves composing a frame only to
// take it apart again; any other pair is taken from the side-by-side frame
// (`rect` and `shown`), which places the eyes as the view does.
bool PutEyes(Film& film, const StereoAdjustments& adjust, const ViewRect& rect, const Presentation& shown,
             FrameBuffer& frame, int32_t number, ExportWriter& writer)
{
    const Eye eyes[] = {FirstEye(adjust), SecondEye(adjust)};
    const Picture first = FilmPicture(film, eyes[0], Tone::Colour);
    const Picture second = FilmPicture(film, eyes[1], Tone::Colour);
    if (adjust.dist == 0 && adjust.vertical == 0 && first.width == second.width && first.height == second.height) {
        for (int eye = 0; eye < 2; ++eye)
            if (!writer.PutEye(eye, FilmPicture(film, eyes[eye], Tone::Colour), number))
                return false;
        return true;
    }
    if (!ComposeFrame(&film, adjust, rect, shown, frame))
        return false;
    const Picture whole = Visible(frame);
    const int half = whole.width / 2;
    return writer.PutEye(0, whole.subview(0, 0, half, whole.height), number) &&
           writer.PutEye(1, whole.subview(half, 0, whole.width - half, whole.height), number);
}

bool WriteFrames(Film& film, const ExportFormat& format, const std::string& out, const ExportOptions& options,
                 int32_t frames, const ConversionControl& control, std::vector<std::string>* written)
{
    const Presentation& shown = PresentationOf(format.presentation(options));
    const StereoAdjustments adjust = AdjustmentsOf(format, options);
    const double fps = RateOf(film, options);
    std::unique_ptr<ExportWriter> writer;
    FrameBuffer frame;
    int32_t done = 0;
    do {
        if (Stopped(control))
            return false;
        const std::optional<ViewRect> rect = FrameRect(film, shown);
        if (!rect)
            return false;
        if (!writer) {
            writer = format.open({out, rect->right, rect->bottom, fps, frames, &options});
            if (!writer)
                return false;
        }
        const int32_t number = film.FrameNumber();
        writer->FirstEyeSource(film.SourceFile(FirstEye(options.adjust)));
        const bool put = format.eyesApart ? PutEyes(film, adjust, *rect, shown, frame, number, *writer)
                                          : ComposeFrame(&film, adjust, *rect, shown, frame) &&
                                                writer->Put(Visible(frame), number);
        film.ReleasePictures();
        if (!put)
            return false;
        if (written && !format.oneFile)
            written->push_back(ExportFileName(format, out, frames, number));
        ++done;
        if (control.onFrame)
            control.onFrame(done, frames);
    } while (done < frames && NextFrame(film));
    if (!writer->Finish())
        return false;
    if (written && format.oneFile)
        written->push_back(out);
    return true;
}

}  // namespace

std::string UnknownExportFormatMessage(const std::string& out)
{
    std::string extensions;
    for (const ExportFormat& format : ExportFormats())
        extensions += (extensions.empty() ? "" : ", ") + std::string(format.extension);
    return out + ": no export format has this extension; the extensions are " + extensions;
}

std::optional<std::string> ExportRefusal(const ExportFormat& format, const ExportOptions& options)
{
    const Presentation& shown = PresentationOf(format.presentation(options));
    if (shown.flips)
        return std::string(shown.name) + " shows the eyes in turn on the screen; it has no picture to export";
    return std::nullopt;
}

std::optional<std::string> ExportSourceRefusal(const std::string& filmPath, const std::vector<std::string>& outputs)
{
    std::vector<std::string> sources{filmPath};
    if (const FileFormat* format = FileFormatOf(filmPath); format && GroupingOf(*format) != FileGrouping::Alone)
        for (SequenceFile& file : GatherRunOrFile(filmPath, "." + std::string(format->extension)))
            sources.push_back(std::move(file.path));
    const std::string hit = FirstSourceHit(outputs, sources);
    if (hit.empty())
        return std::nullopt;
    return hit + " is a file of the film being exported; it is not written over.";
}

std::vector<std::string> ExportOutputNames(Film& film, const std::string& out, const ExportOptions& options)
{
    const ExportFormat* format = ExportFormatOf(out);
    const int32_t frames = format ? StartWalk(film, options) : 0;
    if (frames == 0)
        return {};
    std::vector<std::string> names;
    do
        names.push_back(ExportFileName(*format, out, frames, film.FrameNumber()));
    while (!format->oneFile && int32_t(names.size()) < frames && NextFrame(film));
    return names;
}

ExportResult Export(Film& film, const std::string& out, const ExportOptions& options,
                    const ConversionControl& control, std::vector<std::string>* written)
{
    const ExportFormat* format = ExportFormatOf(out);
    const std::optional<std::string> refusal =
        format ? ExportRefusal(*format, options) : UnknownExportFormatMessage(out);
    if (refusal) {
        platform::ShowMessage(*refusal);
        return ExportResult::UnknownFormat;
    }
    // A video's rate: the film's own, else the one the user set.
    if (const auto rate = format->oneFile ? platform::FrameRateRefusal(RateOf(film, options)) : std::nullopt) {
        platform::ShowMessage(out + ": " + *rate);
        return ExportResult::UnknownFormat;
    }
    const int32_t frames = StartWalk(film, options);
    if (frames == 0)
        return ExportResult::NoFrame;
    const bool whole =
        WriteLogged([&] { return WriteFrames(film, *format, out, options, frames, control, written); });
    return whole ? ExportResult::Ok : ExportResult::WriteError;
}

}  // namespace plexo
