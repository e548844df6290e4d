#pragma once
// The row type of the table of export formats: each form in which a film's
// frame pairs leave the system for other stereo software (MPO, JPS, a
// composed picture, a stereo video) is one row, with the frame it takes and
// the writer that puts it out. The video layer adds its rows at start, as it
// does to the table of file formats.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "image/picture.h"
#include "present/adjustments.h"
#include "present/presentation.h"

namespace plexo {

// How a stereo video holds its two eyes, the first always left or on top.
// HDMI frame packing's frame holds the first eye on top too.
enum class VideoLayout { SideBySide, SideBySideHalf, TopBottom, TopBottomHalf, FramePacking1080, FramePacking720 };
inline constexpr VideoLayout kVideoLayouts[] = {VideoLayout::SideBySide,       VideoLayout::SideBySideHalf,
                                                VideoLayout::TopBottom,        VideoLayout::TopBottomHalf,
                                                VideoLayout::FramePacking1080, VideoLayout::FramePacking720};
// plexo-tool's --layout word: "sbs", "sbs-half", "tb", "tb-half",
// "frame-packing-1080", "frame-packing-720".
const char* VideoLayoutName(VideoLayout layout);
// Nothing for a word none of them has.
std::optional<VideoLayout> VideoLayoutNamed(std::string_view name);

// What the user chose for one export. The defaults are plexo-tool's but for
// the shift, which the caller takes from the film or the settings.
struct ExportOptions {
    // The partner's offset: a two-view film's eye offset, a single-view
    // film's A.
    int32_t shift = 0;
    // Swap and the vertical alignment always apply; D only when the user asks
    // for it, so it is 0 otherwise and the eyes are written whole.
    StereoAdjustments adjust;
    // The frame at this place in play order alone; every frame without it.
    std::optional<int32_t> index;
    // The presentation of a composed picture (.jpg, .bmp).
    PresentationId mode = PresentationId::SideBySide;
    // The layout of a video.
    VideoLayout layout = VideoLayout::SideBySide;
    // A video's rate when the film states none.
    double fps = 0;
    // Every JPEG written, 1 to 100.
    int quality = 95;
    // libx264's constant rate factor (0 to 51) and preset.
    int crf = 18;
    std::string preset = "medium";
};

// What a writer learns before the first frame.
struct ExportStart {
    // The file written: the video, or the picture of a single frame. For a
    // run of pictures, the name the run's numbered names are made from.
    std::string path;
    // The size of every frame the writer will be handed.
    int32_t width = 0;
    int32_t height = 0;
    // Frames a second: the film's own rate, else the options' fps.
    double fps = 0;
    // How many frames will be handed to it.
    int32_t frames = 0;
    const ExportOptions* options = nullptr;
};

// One export's writer. Frames come in play order, each the composed frame of
// the format's presentation (bottom row first, blue, green, red).
class ExportWriter {
public:
    virtual ~ExportWriter() = default;
    // Writes one frame; `number` is the film's own number of the frame,
    // which names a file of a run. False when it fails.
    virtual bool Put(const Picture& frame, int32_t number) = 0;
    // In place of Put, for a row that writes its eyes apart (MPO): the first
    // eye (0), then the second (1), each valid only for the call; `number`
    // as for Put. False when it fails.
    virtual bool PutEye(int, const Picture&, int32_t) { return false; }
    // Told before each frame's Put or PutEye: the file the frame's first eye
    // is read from (empty for a film of no such file), whose camera metadata
    // a still writer keeps.
    virtual void FirstEyeSource(const std::string&) {}
    // Makes the output final. False when anything failed. A writer dropped
    // without Finish (the run stopped or failed) leaves no file of its own
    // under a final name.
    virtual bool Finish() = 0;
};

struct ExportFormat {
    // The output's extension, lower case without the dot: "mpo".
    const char* extension;
    // The dialog's entry before its pattern: "MPO stereo photos".
    const char* description;
    // The whole film goes into one file (a video); otherwise one file a frame.
    bool oneFile;
    // The presentation whose frame, at its natural size, the writer is given.
    PresentationId (*presentation)(const ExportOptions& options);
    // The writer, or null after a log line saying why it cannot start.
    std::unique_ptr<ExportWriter> (*open)(const ExportStart& start);
    // The composed frame holds the second eye first (JPS's cross-eyed order):
    // the walk composes with the eyes exchanged, and with D and the vertical
    // alignment negated so that the pair itself is the same.
    bool secondEyeFirst = false;
    // The user's --mode chooses the presentation (the composed pictures).
    bool takesMode = false;
    // The writer takes the eyes apart (PutEye): the film's own pictures when
    // they are written whole and alike in size, else the halves of the
    // side-by-side frame, which places them as the view does.
    bool eyesApart = false;
    // D is no move of the pixels but a fact the writer records (a spatial
    // photo's disparity adjustment): the eyes go out whole, and the writer
    // reads D from the options.
    bool distAsMetadata = false;
};

// The rows in the order the dialog lists them: the stills, then those added.
std::span<const ExportFormat> ExportFormats();
// Appends the rows of a layer above this one (the videos), each unless its
// extension has one already. Called where a program starts, before any
// other thread asks the table. The rows already there may move: a row is
// kept by its extension, never by its address.
void AddExportFormats(std::span<const ExportFormat> rows);
// The row of the file name's extension, compared without regard to case;
// null for any other.
const ExportFormat* ExportFormatOf(const std::string& path);

// The file a frame goes to: `out` itself for a row of one file or a walk of
// one frame; otherwise the frame's number between `out` less its extension
// and the row's extension, as the converters name a run.
std::string ExportFileName(const ExportFormat& format, const std::string& out, int32_t frames, int32_t number);

}  // namespace plexo
