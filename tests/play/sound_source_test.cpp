#include "doc/document.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/settings_sandbox.h"
#include "support/fixtures.h"
#include "support/message_capture.h"
#include "support/outside_programs.h"
#include "support/temp_dir.h"
#include "video/video_formats.h"

namespace plexo {
namespace {

// What the player's sound plays, as the document decides it: the track kept
// in the film's record, else the file's default; a kept choice that is no
// sound stream of the file plays the default, and only a video has sound to
// play. It runs with the player's tests, where the table of file formats
// may take the video rows; the document's tests hold the film layer's alone.
TEST(SoundSource, TheKeptTrackPlaysElseTheFilesDefault)
{
    video::AddVideoFormats();
    test::SettingsSandbox ini;
    test::MessageCapture messages;
    test::TempDir dir;
    // Stream 0 the picture, 1 and 2 sound, the second flagged default.
    const std::string film = dir.file("two tracks.mkv");
    ASSERT_TRUE(test::RunCommand("ffmpeg -v error -y -f lavfi -i testsrc2=size=64x48:rate=25:duration=2 -f lavfi -i "
                                 "anullsrc=r=8000:cl=mono -t 2 -map 0:v -map 1:a -map 1:a -c:v libx264 -c:a pcm_s16le "
                                 "-disposition:a:0 0 -disposition:a:1 default '" +
                                 film + "'"));
    CPlexoDoc doc;
    ASSERT_TRUE(doc.LoadFilm(film));
    ASSERT_EQ(doc.audioTracks().size(), 2u);

    struct Case {
        int32_t kept, shown, played;
    };
    for (const Case& c : {Case{-1, 2, -1}, Case{1, 1, 1}, Case{0, 0, 2}}) {
        doc.setAudioTrack(c.kept);
        EXPECT_EQ(doc.shownAudioTrack(), c.shown) << c.kept;
        const std::optional<audio::SoundSource> source = doc.soundSource();
        ASSERT_TRUE(source) << c.kept;
        EXPECT_EQ(std::tuple(source->path, source->track, source->pictureLength), std::tuple(film, c.played, 2'000'000))
            << c.kept;
    }

    const std::string frames = dir.file("frames.flm");
    const std::vector<std::vector<uint8_t>> pixels(2, std::vector<uint8_t>(12, 0));
    test::WriteBytes(frames, test::MakeFlmBytes({.colour = true, .width = 2, .height = 2, .frames = pixels}));
    ASSERT_TRUE(doc.LoadFilm(frames));
    EXPECT_TRUE(doc.audioTracks().empty());
    EXPECT_EQ(doc.shownAudioTrack(), -1);
    EXPECT_FALSE(doc.soundSource()) << "a film of frames has no sound";
}

}  // namespace
}  // namespace plexo
