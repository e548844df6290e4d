// plexo-tool compose: the frame the view would paint for one frame pair,
// written as a 24-bit BMP of the padded width.

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "convert/stereo_export.h"
#include "film/two_films.h"
#include "image/write_bmp_file.h"
#include "present/compositor.h"
#include "present/flip_pair.h"
#include "tool/command.h"
#include "tool/film_at.h"
#include "tool/pipeline_options.h"
#include "tool/sphere_options.h"

namespace plexo::tool {

namespace {

// The document's default.
constexpr int kDefaultDist = 21;

constexpr const char* kSides[] = {"right", "bottom", "left", "top"};

// Every --mode name, from the presentation table: "plain|red-blue|…", or
// with `last` before the last one "plain, red-blue, … or mono-second".
std::string ModeNames(const char* between, const char* last)
{
    std::string names;
    const auto all = Presentations();
    for (size_t i = 0; i < all.size(); ++i)
        names += std::string(i == 0 ? "" : i + 1 == all.size() ? last : between) + all[i].name;
    return names;
}

std::string ViewText(const ViewRect& view)
{
    return std::to_string(view.right - view.left) + "x" + std::to_string(view.bottom - view.top);
}

bool WriteSection(const FrameBuffer& section, const std::string& path)
{
    const Picture picture = section.picture();
    const std::vector<uint8_t> header = BitmapHeaderFor(picture);
    return picture && !header.empty() && WriteBmpFile(path, header.data(), picture.data);
}

// The two sections the page-flip pair hands to the flipper, and where they go
// relative to the view.
int WriteFlipSections(Film& film, const StereoAdjustments& adjust, const ViewRect& view, const std::string& first,
                      const std::string& second)
{
    FlipSections sections;
    const EyePairPtr pair = film.Pair(Tone::Colour);
    if (!pair || !ComposeFlipSections(*pair, adjust, view, sections))
        return Fail("the view " + ViewText(view) + " is too large");
    if (sections.first.height() <= 0)
        return Fail("the view " + ViewText(view) + " is empty: there is nothing to write");
    errno = 0;
    if (!WriteSection(sections.first, first))
        return Fail(WriteFailure(first));
    errno = 0;
    if (!WriteSection(sections.second, second))
        return Fail(WriteFailure(second));
    const ViewRect& r = sections.rect;
    std::printf("rect: %d %d %d %d\n", r.left - view.left, r.top - view.top, r.right - r.left, r.bottom - r.top);
    return kOk;
}

int RunCompose(Args& args)
{
    if (!args.onlyKnown({"second", "side", "index", "shift", "dist", "vertical", "mode", "view", "left", "top", "out",
                        "second-out", kSourceLayoutOption, kSubtitlesOption, kSubtitleDepthOption, kProjectionOption,
                        kYawOption, kPitchOption, kFovOption}) ||
        !args.plainCount(1, "FILM"))
        return kBadUsage;
    const auto index = args.position("index");
    const auto shift = args.integer("shift");
    const auto dist = args.integer("dist");
    const auto vertical = args.integer("vertical");
    const auto left = args.integer("left");
    const auto top = args.integer("top");
    const auto view = args.size("view");
    const auto modeName = args.required("mode");
    const auto out = args.required("out");
    const auto second = args.value("second");
    const auto sideName = args.value("side");
    const auto secondOut = args.value("second-out");
    const LayoutChoice choice = ReadSourceLayout(args);
    std::optional<std::string> subtitles;
    subtitle::DepthChoice subtitleDepth;
    SphereOptions sphere;
    if (!ReadSubtitleOptions(args, subtitles, subtitleDepth) || !ReadSphereOptions(args, sphere) || !args.ok())
        return kBadUsage;
    if (sideName && !second) {
        args.fail("--side needs --second");
        return kBadUsage;
    }

    const Presentation* mode = PresentationNamed(*modeName);
    int side = kAddRight;
    if (sideName) {
        side = -1;
        for (int s = 0; s < 4; ++s)
            if (*sideName == kSides[s])
                side = s;
    }
    const bool pageFlip = mode && mode->flips;
    if (!mode)
        args.fail("--mode takes " + ModeNames(", ", " or ") + ", not '" + *modeName + "'");
    else if (side < 0)
        args.fail("--side takes right, bottom, left or top, not '" + *sideName + "'");
    else if (pageFlip && !secondOut)
        args.fail("--mode page-flip needs --second-out");
    else if (!pageFlip && secondOut)
        args.fail("--second-out goes with --mode page-flip only");
    if (!args.ok())
        return kBadUsage;

    // Export's rule: no output is a file a film is read from.
    std::vector<std::string> outputs{*out};
    if (secondOut)
        outputs.push_back(*secondOut);
    for (const std::string& source : {args.plain()[0], second.value_or("")})
        if (const auto refusal = source.empty() ? std::nullopt : ExportSourceRefusal(source, outputs))
            return Fail(*refusal);

    const auto open = [&]() -> FilmPtr {
        FilmPtr film = OpenFilmNamed(args.plain()[0], choice);
        if (!film || !second)
            return film;
        FilmPtr added = OpenFilmNamed(*second, choice);
        return added ? PairFilms(std::move(film), std::move(added), side) : nullptr;
    };
    FilmPtr film = open();
    if (!film)
        return kFailed;
    if (!MoveToIndex(*film, index.value_or(0)))
        return FailNoFrameAt(args.plain()[0], index.value_or(0), *film);
    film->SetShift(shift.value_or(DefaultShift(*film)));
    std::vector<std::string> paths{args.plain()[0]};
    if (second)
        paths.push_back(*second);
    const auto reopen = [&]() -> FilmPtr {
        FilmPtr again = open();
        if (again)
            again->SetShift(film->GetShift());
        return again;
    };
    ToolPipeline chain;
    // Each eye of a spherical film fills its share of the view, as in the
    // viewer: half of it across for a presentation of two eyes side by side.
    chain.sphere = ToolSphere(sphere, *film, paths.front(),
                              view ? std::max(1, view->first / int(mode->across)) : kDefaultSphereWidth,
                              view ? std::max(1, view->second / int(mode->down)) : kDefaultSphereHeight);
    if (!BuildToolPipeline(args, paths, subtitles, subtitleDepth, *film, mode->id, reopen, chain))
        return kFailed;
    Film& shown = chain.Shown(*film);

    // The viewer shows black for a picture it cannot read; the tool's caller
    // is told instead, whether or not the view size was given.
    const Picture picture = FilmPicture(shown, Eye::Current, Tone::Colour);
    if (!picture)
        return Fail("cannot read the picture of frame " + std::to_string(index.value_or(0)) + " of " +
                    args.plain()[0]);
    const PixelSize natural = NaturalSize(*mode, picture.width, picture.height);
    int64_t width = natural.width, height = natural.height;
    if (view)
        std::tie(width, height) = *view;
    if (width > kMaxPictureSide || height > kMaxPictureSide)
        return Fail("the view " + std::to_string(width) + "x" + std::to_string(height) +
                    " is larger than a bitmap holds, " + std::to_string(kMaxPictureSide) + " pixels a side");
    const int viewLeft = left.value_or(0);
    const int viewTop = top.value_or(0);
    if (viewLeft + width > INT_MAX)
        return Fail("--left " + std::to_string(viewLeft) + " puts the view right of the last screen column");
    if (viewTop + height > INT_MAX)
        return Fail("--top " + std::to_string(viewTop) + " puts the view below the last screen row");

    const ViewRect rect{viewLeft, viewTop, int32_t(viewLeft + width), int32_t(viewTop + height)};
    const int32_t keptDist = chain.Aligns() && chain.keptDist ? *chain.keptDist : kDefaultDist;
    const StereoAdjustments adjust{
        .swap = args.has("swap"), .dist = dist.value_or(keptDist), .vertical = vertical.value_or(0)};
    if (pageFlip)
        return WriteFlipSections(shown, adjust, rect, *out, *secondOut);
    FrameBuffer frame;
    if (!ComposeFrame(&shown, adjust, rect, *mode, frame))
        return Fail("the view " + ViewText(rect) + " is too large");
    const Picture composed = frame.picture();
    if (!composed)
        return Fail("the view " + ViewText(rect) + " is empty: there is nothing to write");
    const std::vector<uint8_t> header = BitmapHeaderFor(composed);
    errno = 0;
    if (header.empty() || !WriteBmpFile(*out, header.data(), composed.data))
        return Fail(WriteFailure(*out));
    std::printf("%dx%d\n", composed.width, composed.height);
    return kOk;
}

const char* Usage()
{
    static const std::string usage =
        "FILM [--second FILM2 [--side right|bottom|left|top]] [--index I] [--shift A] [--swap] [--dist D] "
        "[--vertical N] --mode " +
        ModeNames("|", "|") +
        " [--view WxH] [--left L] [--top T] [--source-layout L] [--no-align | --align-frames]\n"
        "    [--projection P] [--yaw DEG] [--pitch DEG] [--fov DEG] --out OUT.bmp\n"
        "    [--second-out SECOND.bmp]\n"
        "    the film's kept alignment and D apply unless --no-align; --align-frames aligns the pair itself\n"
        "    page-flip writes the first eye's section to --out and the second's to --second-out\n"
        "    --swap shows the partner's picture as the first eye; --vertical moves the second eye up N rows\n"
        "    defaults: --side right, --index 0, --shift -4 (a two-view film's eye offset: 0), --dist 21,\n"
        "    --vertical 0, --left 0, --top 0, --view the presentation's natural size for the picture\n"
        "    (twice its width for side-by-side, twice its height for top-bottom)\n" +
        std::string(kSubtitleUsage) + "\n" + kSphereUsage;
    return usage.c_str();
}

const bool registered = RegisterCommand({"compose", Usage(), {"swap", kNoAlignFlag, kAlignFramesFlag}, RunCompose});

}  // namespace
}  // namespace plexo::tool
