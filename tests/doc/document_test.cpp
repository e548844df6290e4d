#include "doc/document.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <filesystem>
#include <tuple>

#include "doc/open_failure.h"
#include "film/two_films.h"
#include "image/write_bmp_file.h"
#include "platform/document_settings.h"
#include "platform/log.h"
#include "platform/settings_sandbox.h"
#include "support/fake_film.h"
#include "support/fixtures.h"
#include "support/message_capture.h"

namespace plexo {
namespace {

using test::FakeFilm;

// A raw colour .flm film of `frames` 2x2 frames.
void WriteFlmFilm(const std::string& path, int frames)
{
    const std::vector<std::vector<uint8_t>> pixels(size_t(frames), std::vector<uint8_t>(12, 0));
    test::WriteBytes(path, test::MakeFlmBytes({.colour = true, .width = 2, .height = 2, .frames = pixels}));
}

class Document : public ::testing::Test {
protected:
    std::unique_ptr<CPlexoDoc> MakeDoc(CommandLineOptions* options = nullptr)
    {
        auto doc = std::make_unique<CPlexoDoc>(options);
        doc->filmMoved = [this] { ++repaints; };
        return doc;
    }

    test::SettingsSandbox ini;
    test::MessageCapture messages;
    test::TempDir films;
    int repaints = 0;
};

// A hand-edited Step beyond the dialog's "4 steps" would make every tick run
// that many single moves. How the settings are stored is the settings
// layer's own; Shift, Round and Invert reach the film in the load tests.
TEST_F(Document, ReadsItsParametersAndHoldsStepToTheDialogsFourSteps)
{
    for (const auto& [stored, step] : {std::pair{"3", 3}, std::pair{"2000000000", 3}, std::pair{"-5", 0}}) {
        ini.setText(std::string("[Settings]\nAlter=1\nDist=30\nStep=") + stored + "\n");
        auto doc = MakeDoc();
        EXPECT_EQ(std::tuple(doc->Alter, doc->Step, doc->Dist), std::tuple(1, step, 30)) << stored;
    }
}

struct LoadCase {
    const char* name;
    const char* message;  // null: the film loads; "": the path's open failure
};

class DocumentLoad : public Document, public ::testing::WithParamInterface<LoadCase> {};

// A factory that says why gets no second message.
TEST_P(DocumentLoad, ExtensionPicksTheFactoryInAnyCaseAndEveryFailureSaysSoOnce)
{
    const std::string name = films.file(GetParam().name);
    const uint8_t pixels[12] = {};
    if (name.ends_with("mp") || name.ends_with("mP"))
        ASSERT_TRUE(WriteBmpFile(name, BitmapHeaderFor({pixels, 2, 2, 3}).data(), pixels));
    else
        WriteFlmFilm(name, 3);
    std::filesystem::remove(films.file("gone0001.bmp"));  // vanished before the load
    ini.setText("[Settings]\nShift=1\nRound=0\nInvert=1\n");
    auto doc = MakeDoc();
    doc->SetFilm(FakeFilm::WithFrames(2));
    const Film* before = doc->film();
    doc->LoadFilm(name);
    if (!GetParam().message) {
        ASSERT_NE(doc->film(), nullptr);
        EXPECT_EQ(std::tuple(doc->film()->GetShift(), doc->film()->GetRound(), doc->film()->GetInvert()),
                  std::tuple(1, false, true));
        EXPECT_TRUE(repaints == 1 && messages.messages.empty());
    } else {
        EXPECT_EQ(doc->film(), before) << "the film shown before stays";
        const std::string message =
            *GetParam().message ? GetParam().message + (": " + name) : OpenFailureMessage(name);
        EXPECT_EQ(messages.messages, std::vector<std::string>{message});
        EXPECT_EQ(repaints, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Names, DocumentLoad,
                         ::testing::Values(LoadCase{"take0001.bmp", nullptr}, LoadCase{"take0002.BmP", nullptr},
                                           LoadCase{"film.flm", nullptr},
                                           LoadCase{"film.gif", "File extension is incompatible"},
                                           LoadCase{"film", "File extension is incompatible"},
                                           LoadCase{"image.bmp", nullptr},
                                           LoadCase{"gone0001.bmp", ""}));

TEST_F(Document, AddPairsACompatibleFilmAndKeepsTheCurrentOneOtherwise)
{
    WriteFlmFilm(films.file("a.flm"), 4);
    WriteFlmFilm(films.file("b.flm"), 4);
    auto doc = MakeDoc();
    doc->AddFilm(films.file("b.flm"));
    EXPECT_EQ(doc->film(), nullptr) << "Add without a film does nothing";

    doc->LoadFilm(films.file("a.flm"));
    Film* single = doc->film();
    doc->AddFilm(films.file("b.txt"));
    EXPECT_FALSE(doc->AddFilm(films.file("missing.flm")));
    EXPECT_EQ(messages.messages, (std::vector<std::string>{"File extension is incompatible: " + films.file("b.txt"),
                                                           OpenFailureMessage(films.file("missing.flm"))}));
    doc->side = 9;
    doc->AddFilm(films.file("b.flm"));
    EXPECT_EQ(doc->film(), single) << "a side that is none of the four keeps the single film too";

    doc->side = 3;
    doc->AddFilm(films.file("b.flm"));
    auto* pair = dynamic_cast<TwoFilms*>(doc->film());
    ASSERT_NE(pair, nullptr);
    EXPECT_EQ(pair->side(), 3);
    EXPECT_EQ(repaints, 2);

    // Opened again for an export: the same pair, side, shift and place,
    // whatever the side is set to since.
    doc->side = 0;
    doc->film()->SetShift(-2);
    doc->film()->Seek(3);
    const FilmPtr again = doc->OpenFilmAgain();
    auto* copy = dynamic_cast<TwoFilms*>(again.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->side(), 3);
    EXPECT_EQ(std::tuple(copy->GetShift(), copy->Position(), copy->PartnerNumber()),
              std::tuple(-2, 3, doc->film()->PartnerNumber()));
}

TEST_F(Document, CommandLineOptionsReachOnlyTheFirstFilmThatOpens)
{
    WriteFlmFilm(films.file("looks-like.film"), 3);
    WriteFlmFilm(films.file("second.flm"), 3);
    CommandLineOptions options{.invert = true, .shift = 2, .secondFilm = films.file("second.flm"), .side = 1,
                               .done = false};
    {
        auto doc = MakeDoc(&options);
        doc->Serialize(films.file("looks-like.film"));
        ASSERT_NE(doc->film(), nullptr) << "a name of no known kind reads as .flm";
        EXPECT_TRUE(options.done);
        EXPECT_EQ(std::vector<int32_t>({doc->Shift, doc->Round, doc->Invert, doc->side}),
                  std::vector<int32_t>({2, 0, 1, 1}));
        EXPECT_NE(dynamic_cast<TwoFilms*>(doc->film()), nullptr);

        doc->Serialize(films.file("second.flm"));
        EXPECT_EQ(dynamic_cast<TwoFilms*>(doc->film()), nullptr) << "applied once only";
        EXPECT_EQ(doc->film()->GetShift(), 0) << "a film keeps what its constructor gave it";
    }
    EXPECT_EQ(platform::DocumentSettings::Read().round, 0) << "the command line's choice is stored at the end";
}

// A two-view film's shift is its eye offset: its kept one, or 0, on Load and
// on the command line whatever Shift or /A= say; setting it keeps it with the
// film and leaves Shift to the single views. So is D, which starts at 0.
TEST_F(Document, TwoViewFilmsKeepTheirOwnEyeOffsetAndD)
{
    ini.setText("[Settings]\nShift=-4\nDist=21\n");
    const std::string mpo = films.file("pair.mpo");
    const auto jpeg = test::PatternJpeg(8, 8, 1);
    test::WriteBytes(mpo, test::MakeMpoBytes({{jpeg, 0x020002}, {jpeg, 0x020002}}));
    WriteFlmFilm(films.file("walk.flm"), 3);
    {
        auto doc = MakeDoc();
        ASSERT_TRUE(doc->LoadFilm(mpo));
        EXPECT_EQ(std::tuple(doc->film()->GetShift(), doc->stereo().adjust.dist), std::tuple(0, 0));
        doc->setEyeOffset(2);
        doc->setDist(5);
        EXPECT_EQ(std::tuple(doc->film()->GetShift(), doc->shift(), doc->dist()), std::tuple(2, -4, 21));
        ASSERT_TRUE(doc->LoadFilm(films.file("walk.flm")));
        EXPECT_EQ(std::tuple(doc->film()->GetShift(), doc->stereo().adjust.dist), std::tuple(-4, 21));
    }
    CommandLineOptions options;
    options.shift = 7;
    options.done = false;
    auto doc = MakeDoc(&options);
    ASSERT_TRUE(doc->Serialize(mpo));
    EXPECT_EQ(std::tuple(doc->film()->GetShift(), doc->shift(), doc->stereo().adjust.dist), std::tuple(2, 7, 5));
}

// Each film keeps its delays while not 0, within ten minutes; a move repaints.
TEST_F(Document, EachFilmKeepsItsOwnDelays)
{
    for (const char* name : {"a.flm", "b.flm"})
        WriteFlmFilm(films.file(name), 2);
    auto doc = MakeDoc();
    ASSERT_TRUE(doc->LoadFilm(films.file("a.flm")));
    doc->MoveAudioDelay(-50);
    doc->MoveSubtitleDelay(-200);
    ASSERT_TRUE(doc->LoadFilm(films.file("b.flm")));
    doc->MoveAudioDelay(700000);
    EXPECT_EQ(std::tuple(doc->audioDelayMs(), doc->subtitleDelayMs(), repaints), std::tuple(600000, 0, 5));
    ASSERT_TRUE(doc->LoadFilm(films.file("a.flm")));
    doc->MoveAudioDelay(50);
    EXPECT_EQ(std::pair(doc->audioDelayMs(), doc->subtitleDelayMs()), std::pair(0, -200));
    EXPECT_EQ(RecallFilm(FilmKey({films.file("a.flm")})).text(), "subtitle-delay=-200");
}

// The command line opens what Load opens, and a failure says why.
TEST_F(Document, CommandLineOpensWhatLoadOpensAndSaysWhyNot)
{
    test::WriteBytes(films.file("take0001.bmp"), test::MakeBmpBytes({.pixels = {1, 2, 3}}));
    test::WriteBytes(films.file("notes.flm"), {'h', 'i'});
    test::WriteBytes(films.file("cut.flm"), test::MakeFlmBytes({.width = 2, .height = 2, .frameCount = 3}));
    for (const auto& [name, why] :
         {std::pair{"take0001.bmp", ""}, {"missing.flm", "The file does not exist."},
          {"notes.flm", "The file is not a film."}, {"", "It is a folder, not a film."},
          {"cut.flm", "The film is damaged at frame 1: its record breaks off or holds no picture."}}) {
        messages.messages.clear();
        EXPECT_EQ(MakeDoc()->Serialize(films.file(name)), !*why) << name;
        const std::vector<std::string> told{films.file(name) + "\nFailed to open document.\n" + why};
        EXPECT_EQ(messages.messages, *why ? told : std::vector<std::string>{}) << name;
    }
}

// Bitmap headers the writer cannot stand behind are refused before anything
// is written.
TEST_F(Document, SaveAsLogsOnlyFailuresAndKeepsTheOlderFile)
{
    platform::ClearLog();
    const std::string old = films.file("old.bmp");
    test::WriteBytes(old, {1, 2, 3});
    auto doc = MakeDoc();
    EXPECT_FALSE(doc->SaveAs(old)) << "no film";
    doc->SetFilm(FakeFilm::WithFrames(1));
    EXPECT_FALSE(doc->SaveAs(films.file("frame.png")));
    EXPECT_FALSE(doc->SaveAs(films.file("no/folder/frame.bmp")));
    const uint8_t pixels[16] = {};
    for (const auto [width, height, bits, size] : {std::array{0, 5, 24, 40}, {5, 0, 24, 40}, {-2, -3, 24, 40},
                                                   {40000, 1, 24, 40}, {1, INT_MIN, 24, 40}, {32768, 32768, 32, 40},
                                                   {1, 1, 24, 108}}) {
        std::vector<uint8_t> header;
        for (const int v : {size, width, height, 1 | bits << 16})
            test::PutU32(header, uint32_t(v));
        header.resize(40);
        EXPECT_FALSE(WriteBmpFile(old, header.data(), pixels)) << width << "x" << height;
    }
    EXPECT_EQ(test::ReadBytes(old), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_TRUE(doc->SaveAs(films.file("frame.BMP")));
    EXPECT_TRUE(doc->SaveAs(films.file("frame.jpg")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(films.path()), {}), 3) << "no temporary left";
    EXPECT_EQ(platform::LogText(), "\r\nSave error\r\nSave error\r\nSave error");
    platform::ClearLog();
}

}  // namespace
}  // namespace plexo
