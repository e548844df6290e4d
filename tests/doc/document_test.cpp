#include "doc/document.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "doc/write_bmp_file.h"
#include "film/two_films.h"
#include "platform/log.h"
#include "platform/settings.h"
#include "platform/settings_sandbox.h"
#include "support/fake_film.h"
#include "support/message_capture.h"

namespace plexo {
namespace {

using test::FakeFilm;

// A raw colour .flm film of `frames` 2x2 frames.
void WriteFlmFilm(const std::string& path, int frames)
{
    std::vector<uint8_t> bytes;
    for (uint32_t v : {3u, uint32_t(frames), 2u, 2u})
        test::PutU32(bytes, v);
    for (int k = 0; k < frames; ++k) {
        test::PutU16(bytes, uint32_t(k));
        bytes.insert(bytes.end(), 12, uint8_t(k));
    }
    test::WriteBytes(path, bytes);
}

class Document : public ::testing::Test {
protected:
    std::unique_ptr<CPlexoDoc> MakeDoc(CommandLineOptions* options = nullptr)
    {
        auto doc = std::make_unique<CPlexoDoc>(options);
        doc->repaint = [this] { ++repaints; };
        return doc;
    }

    test::SettingsSandbox ini;
    test::MessageCapture messages;
    test::TempDir films;
    int repaints = 0;
};

TEST_F(Document, ReadsItsSixParametersAndWritesThemBackInOrder)
{
    ini.setText("[settings]\nshift=-7\nDIST=30\nStep=2\nAlter=1\nRound=0\nInvert=1\n");
    {
        auto doc = MakeDoc();
        EXPECT_EQ(std::vector<int32_t>({doc->Alter, doc->Step, doc->Dist, doc->Shift, doc->Round, doc->Invert}),
                  std::vector<int32_t>({1, 2, 30, -7, 0, 1}));
        doc->Shift = 5;
    }
    EXPECT_EQ(ini.text(), "[settings]\nshift=5\nDIST=30\nStep=2\nAlter=1\nRound=0\nInvert=1\n");
    // A hand-edited Step beyond the dialog's "4 steps" would make every tick
    // run that many single moves.
    for (const auto& [stored, step] : {std::pair{"3", 3}, std::pair{"2000000000", 3}, std::pair{"-5", 0}}) {
        ini.setText(std::string("[Settings]\nStep=") + stored + "\n");
        EXPECT_EQ(MakeDoc()->Step, step) << stored;
    }
}

class DocumentLoad : public Document, public ::testing::WithParamInterface<std::pair<const char*, bool>> {};

TEST_P(DocumentLoad, ExtensionPicksTheFactoryInAnyCase)
{
    const uint8_t pixels[12] = {};
    const std::vector<uint8_t> header = BitmapHeaderFor({pixels, 2, 2, 3});
    for (const char* name : {"take0001.bmp", "take0002.BmP"})
        ASSERT_TRUE(WriteBmpFile(films.file(name), header.data(), pixels));
    for (const char* name : {"film.flm", "film.FLM", "film.jpeg", "film"})
        WriteFlmFilm(films.file(name), 3);

    auto doc = MakeDoc();
    doc->Shift = 1;
    doc->Round = 0;
    doc->Invert = 1;
    doc->SetFilm(FakeFilm::WithFrames(2));
    doc->LoadFilm(films.file(GetParam().first));
    if (GetParam().second) {
        ASSERT_NE(doc->film(), nullptr);
        EXPECT_EQ(doc->film()->GetShift(), 1);
        EXPECT_FALSE(doc->film()->GetRound());
        EXPECT_TRUE(doc->film()->GetInvert());
        EXPECT_EQ(repaints, 1);
        EXPECT_TRUE(messages.messages.empty());
    } else {
        EXPECT_EQ(doc->film(), nullptr) << "the old film is gone";
        EXPECT_EQ(messages.messages, std::vector<std::string>{"File extension is incompatible"});
        EXPECT_EQ(repaints, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Names, DocumentLoad,
                         ::testing::Values(std::pair{"take0001.bmp", true}, std::pair{"take0002.BmP", true},
                                           std::pair{"film.flm", true}, std::pair{"film.FLM", true},
                                           std::pair{"film.jpeg", false}, std::pair{"film", false}));

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
    EXPECT_EQ(messages.messages, std::vector<std::string>{"File extension is incompatible"});
    doc->AddFilm(films.file("missing.flm"));
    doc->side = 9;
    doc->AddFilm(films.file("b.flm"));
    EXPECT_EQ(doc->film(), single) << "a side that is none of the four keeps the single film too";
    EXPECT_TRUE(doc->CanAddFilm());

    doc->side = 3;
    doc->AddFilm(films.file("b.flm"));
    auto* pair = dynamic_cast<TwoFilms*>(doc->film());
    ASSERT_NE(pair, nullptr);
    EXPECT_EQ(pair->side(), 3);
    EXPECT_FALSE(doc->CanAddFilm());
    EXPECT_EQ(repaints, 2);
}

TEST_F(Document, CommandLineOptionsReachOnlyTheFirstFilmThatOpens)
{
    WriteFlmFilm(films.file("looks-like.bmp"), 3);
    WriteFlmFilm(films.file("second.flm"), 3);
    CommandLineOptions options;
    options.done = false;
    options.invert = true;
    options.shift = 2;
    options.side = 1;
    options.secondFilm = films.file("second.flm");
    {
        auto doc = MakeDoc(&options);
        doc->Serialize(films.file("missing.flm"));
        EXPECT_EQ(doc->film(), nullptr);
        EXPECT_FALSE(options.done) << "the options wait for a film that opens";

        doc->Serialize(films.file("looks-like.bmp"));
        ASSERT_NE(doc->film(), nullptr) << "the open path reads .flm whatever the extension";
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

// Frame numbers shown after each of `ticks` playback ticks.
std::vector<int> Ticks(CPlexoDoc& doc, int ticks)
{
    std::vector<int> seen;
    for (int i = 0; i < ticks; ++i) {
        doc.PlayStep();
        seen.push_back(doc.film()->FrameNumber());
    }
    return seen;
}

TEST_F(Document, PlaybackBouncesAtTheEndsWithoutRoundAndLoopsWithIt)
{
    auto doc = MakeDoc();
    doc->SetFilm(FakeFilm::WithFrames(5));
    EXPECT_EQ(Ticks(*doc, 6), (std::vector<int>{1, 2, 3, 4, 3, 2}));
    EXPECT_EQ(doc->direction, 1);
    EXPECT_EQ(repaints, 6);

    doc->direction = 0;
    doc->Step = 2;  // at frame 2 only two forward moves are left
    EXPECT_EQ(Ticks(*doc, 1), (std::vector<int>{3}));
    EXPECT_EQ(doc->direction, 1);
    EXPECT_EQ(Ticks(*doc, 2), (std::vector<int>{0, 1}));
    EXPECT_EQ(doc->direction, 0);

    doc->film()->SetRound(true);
    doc->Step = 1;
    EXPECT_EQ(Ticks(*doc, 3), (std::vector<int>{3, 0, 2}));

}

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
    EXPECT_EQ(test::ReadBytes(old), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_TRUE(doc->SaveAs(films.file("frame.BMP")));
    EXPECT_TRUE(doc->SaveAs(films.file("frame.jpg")));
    EXPECT_EQ(platform::LogText(), "\r\nSave error\r\nSave error\r\nSave error");
    platform::ClearLog();
}

}  // namespace
}  // namespace plexo
