#pragma once
// The six converters behind Translate and `plexo-tool convert`. Each takes the
// source file the user chose, opens its film, writes every frame in the other
// storage form and reports "start", "OK" / "write error", "finish" (or "No film
// creation") through LogMessage. A "write error" is followed by the line
// "PATH: reason" of the first file that failed, when a file did.

#include <atomic>
#include <functional>
#include <string>

#include "image/file_format.h"

namespace plexo {

// The stereo photos' ways write the first eye of a two-view film; the video
// ways read any row named "video" (MP4, Matroska, ...), which the programs
// add to the table at start.
enum class ConversionWay {
    BmpToFlm, BmpToJpg, FlmToBmp, FlmToJpg, JpgToBmp, JpgToFlm,
    MpoToBmp, MpoToJpg, MpoToFlm, JpsToBmp, JpsToJpg, JpsToFlm,
    VideoToBmp, VideoToJpg, VideoToFlm,
};
inline constexpr ConversionWay kConversionWays[] = {
    ConversionWay::BmpToFlm,   ConversionWay::BmpToJpg,   ConversionWay::FlmToBmp, ConversionWay::FlmToJpg,
    ConversionWay::JpgToBmp,   ConversionWay::JpgToFlm,   ConversionWay::MpoToBmp, ConversionWay::MpoToJpg,
    ConversionWay::MpoToFlm,   ConversionWay::JpsToBmp,   ConversionWay::JpsToJpg, ConversionWay::JpsToFlm,
    ConversionWay::VideoToBmp, ConversionWay::VideoToJpg, ConversionWay::VideoToFlm};

// The defaults are the Translate dialog's first-use choices, but for the
// factor, which is 1.
struct ConversionOptions {
    bool colour = true;
    int factor = 1;     // 1 to 4
    int width = 0;      // 0 or less keeps the size
    int height = 0;
    int quality = 95;   // 1 to 100, JPEG and packed .flm frames
    int compress = 1;   // 1: JPEG-packed .flm frames; other values raw
    // The user's choice of the source's stereo layout; empty lets the file say.
    LayoutChoice layout = std::nullopt;
};

// How a run goes: progress and cancellation for a run off the user-interface
// thread (both may be empty / null), and its threads.
struct ConversionControl {
    // Called after every frame written, with frames done and the film's count.
    std::function<void(int done, int total)> onFrame;
    // Set by another thread to end the run like a write failure.
    const std::atomic<bool>* stop = nullptr;
    // Threads that decode, shape and encode frames: 0 means one per core.
    // Files are written in frame order and are the same for every count.
    int workers = 0;
};

enum class ConversionResult { IncompatibleType, NoFilm, Ok, WriteError };

// The formats a way reads and writes, rows of the table of file formats; a
// way's source is every row of that name. An MPO or JPS source is a lone
// file or a numbered run. False for a video way while the table has no
// video rows.
bool WayAvailable(ConversionWay way);
const FileFormat& SourceFormat(ConversionWay way);
const FileFormat& TargetFormat(ConversionWay way);
// BMP frames, whose fixed width must be a multiple of 4.
bool WritesBmp(ConversionWay way);
// A .flm file, the only output that can compress.
bool WritesFlm(ConversionWay way);
// What the way writes from the source the user chose: the .flm file, or the
// base its numbered frames are named from (/clips/walk0012.bmp to JPEG gives
// /clips/walk).
std::string OutputOf(ConversionWay way, const std::string& chosenPath);

// What the converter's open dialog offers and the extension it requires.
struct ConverterSource {
    std::string description;  // "BMP files (*.bmp)"
    std::string pattern;      // "*.bmp"; the video ways' "*.mp4;*.mov;..."
    std::string extension;    // "BMP": the first row's
};
const ConverterSource& SourceOf(ConversionWay way);

// Runs `write` between the log lines of every run that writes files (a
// conversion, an export): "start", then "OK", or "write error" and the
// "PATH: reason" line of the first file that failed, then "finish". Returns
// what `write` returned.
bool WriteLogged(const std::function<bool()>& write);

ConversionResult Convert(ConversionWay way, const std::string& chosenPath, const ConversionOptions& options,
                         const ConversionControl& control = {});

}  // namespace plexo
