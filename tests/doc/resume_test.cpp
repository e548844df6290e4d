#include "doc/document.h"
#include "doc/resume_rule.h"

#include <gtest/gtest.h>

#include <fstream>

#include "film/file_formats.h"
#include "platform/settings_sandbox.h"
#include "support/fake_film.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

// A video of one frame a second, as long as its file says in seconds.
class SecondsFilm : public test::FakeFilm {
public:
    explicit SecondsFilm(int seconds) : FakeFilm(seconds, {2, 1}) {}
    FilmFacts Facts() const override { return {1, double(FrameCount()), 1, {}, {}, false}; }
    TimedSource& Timing() override { return timing_; }

private:
    struct Times final : TimedSource {
        int64_t TimeAt(int32_t position) const override { return int64_t(position) * 1000000; }
        bool ReadyAt(int32_t) override { return true; }
    };
    Times timing_;
};

std::unique_ptr<Film> OpenSeconds(const std::string& path, const LayoutChoice&)
{
    int seconds = 0;
    std::ifstream(path) >> seconds;
    return seconds > 0 ? std::make_unique<SecondsFilm>(seconds) : nullptr;
}

class Resume : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static const FileFormat kSeconds[] = {
            {"seconds", "Seconds films", "secs", "video/x-seconds", nullptr, OpenSeconds, nullptr}};
        AddFileFormats(kSeconds);
    }
    std::string Film(const std::string& name, int seconds)
    {
        std::ofstream(dir.file(name)) << seconds;
        return dir.file(name);
    }
    // The doc opens, moves to `at` and closes the film; the next doc opens it again.
    std::optional<double> LeftAndReopened(const std::string& path, int at)
    {
        {
            CPlexoDoc doc;
            EXPECT_TRUE(doc.LoadFilm(path));
            doc.SeekTo(at);
        }
        CPlexoDoc doc;
        EXPECT_TRUE(doc.LoadFilm(path));
        EXPECT_EQ(doc.film()->Position(), int(doc.resumedAt().value_or(0)));
        return doc.resumedAt();
    }
    test::SettingsSandbox ini;
    test::TempDir dir;
};

TEST_F(Resume, AVideoLongerThanTwoMinutesReopensWhereItWasLeftUnlessSeenToItsEnd)
{
    const std::string film = Film("long.secs", 3800);
    EXPECT_EQ(LeftAndReopened(film, 3723), 3723.0);
    EXPECT_NE(ini.text().find("position=3723"), std::string::npos);
    EXPECT_EQ(ResumedNotice(3723), "Resumed at 1:02:03; Home starts over");
    EXPECT_EQ(ResumedNotice(123.4), "Resumed at 2:03; Home starts over");
    // Within the last 2 % the place is forgotten: 3724 is the first second there.
    EXPECT_EQ(LeftAndReopened(film, 3724), std::nullopt);
    EXPECT_EQ(ini.text().find("position="), std::string::npos);
    EXPECT_EQ(LeftAndReopened(film, 3723), 3723.0);
    // Back at its beginning it starts there, as if never left.
    EXPECT_EQ(LeftAndReopened(film, 0), std::nullopt);
    EXPECT_EQ(LeftAndReopened(Film("short.secs", 120), 60), std::nullopt);
    EXPECT_EQ(LeftAndReopened(Film("longer.secs", 121), 60), 60.0);
    // A place edited by hand beyond the film's end is no place to resume.
    ini.setText("[Films]\n" + film + "=position=9000\n");
    EXPECT_EQ(LeftAndReopened(film, 0), std::nullopt);
}

TEST_F(Resume, TheSettingTurnsKeepingAndResumingOff)
{
    const std::string film = Film("long.secs", 600);
    EXPECT_EQ(LeftAndReopened(film, 300), 300.0);
    CPlexoDoc().setResume(false);
    // Neither put back at 300 nor kept at 400.
    EXPECT_EQ(LeftAndReopened(film, 400), std::nullopt);
    EXPECT_NE(ini.text().find("position=300"), std::string::npos);
}

}  // namespace
}  // namespace plexo
