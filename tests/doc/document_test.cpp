#include "doc/document.h"

#include <gtest/gtest.h>

#include "doc/doc_fixtures.h"
#include "film/two_films.h"
#include "platform/log.h"
#include "platform/settings.h"
#include "platform/settings_sandbox.h"
#include "support/fake_film.h"
#include "support/message_capture.h"

namespace plexo {
namespace {

using test::FakeFilm;

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
        EXPECT_EQ(doc->Shift, -7);
        EXPECT_EQ(doc->Dist, 30);
        EXPECT_EQ(doc->Step, 2);
        EXPECT_EQ(doc->Alter, 1);
        EXPECT_EQ(doc->Round, 0);
        EXPECT_EQ(doc->Invert, 1);
        doc->Shift = 5;
    }
    EXPECT_EQ(ini.text(), "[settings]\nshift=5\nDIST=30\nStep=2\nAlter=1\nRound=0\nInvert=1\n");
    std::filesystem::remove(ini.path());
    MakeDoc().reset();
    EXPECT_EQ(ini.text(), "[Settings]\nAlter=0\nStep=0\nDist=21\nShift=-4\nRound=1\nInvert=0\n");
}

struct LoadCase {
    const char* name;
    bool compatible;
};
class DocumentLoad : public Document, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(DocumentLoad, ExtensionPicksTheFactoryInAnyCase)
{
    const std::string first = test::WriteBmpSequence(films.path().string(), "take", 3);
    std::filesystem::copy_file(first, films.file("take0004.BmP"));
    test::WriteFlmFilm(films.file("film.flm"), 5);
    test::WriteFlmFilm(films.file("film.FLM"), 5);
    test::WriteFlmFilm(films.file("film.jpeg"), 5);
    test::WriteFlmFilm(films.file("film"), 5);

    auto doc = MakeDoc();
    doc->Shift = 1;
    doc->Round = 0;
    doc->Invert = 1;
    doc->SetFilm(FakeFilm::WithFrames(2));
    doc->LoadFilm(films.file(GetParam().name));
    if (GetParam().compatible) {
        ASSERT_NE(doc->film(), nullptr);
        EXPECT_GE(doc->film()->FrameCount(), 3);
        EXPECT_EQ(doc->film()->GetShift(), 1);
        EXPECT_FALSE(doc->film()->GetRound());
        EXPECT_TRUE(doc->film()->GetInvert());
        EXPECT_TRUE(doc->CanAddFilm());
        EXPECT_EQ(repaints, 1);
        EXPECT_TRUE(messages.messages.empty());
    } else {
        EXPECT_EQ(doc->film(), nullptr) << "the old film is gone";
        EXPECT_FALSE(doc->CanAddFilm());
        EXPECT_FALSE(doc->CanSaveAs());
        EXPECT_EQ(messages.messages, std::vector<std::string>{"File extension is incompatible"});
        EXPECT_EQ(repaints, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Names, DocumentLoad,
                         ::testing::Values(LoadCase{"take0001.bmp", true}, LoadCase{"take0004.BmP", true},
                                           LoadCase{"film.flm", true}, LoadCase{"film.FLM", true},
                                           LoadCase{"film.jpeg", false}, LoadCase{"film", false}));

TEST_F(Document, LoadOfAFilmThatCannotBeBuiltLeavesNoneSilently)
{
    auto doc = MakeDoc();
    doc->SetFilm(FakeFilm::WithFrames(2));
    doc->LoadFilm(films.file("missing.flm"));
    EXPECT_EQ(doc->film(), nullptr);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(repaints, 0);
}

TEST_F(Document, AddPairsACompatibleFilmAndKeepsTheCurrentOneOtherwise)
{
    test::WriteFlmFilm(films.file("a.flm"), 4);
    test::WriteFlmFilm(films.file("b.flm"), 4);
    auto doc = MakeDoc();
    doc->AddFilm(films.file("b.flm"));
    EXPECT_EQ(doc->film(), nullptr) << "Add without a film does nothing";

    doc->LoadFilm(films.file("a.flm"));
    Film* single = doc->film();
    doc->AddFilm(films.file("b.txt"));
    EXPECT_EQ(doc->film(), single);
    EXPECT_EQ(messages.messages, std::vector<std::string>{"File extension is incompatible"});
    doc->AddFilm(films.file("missing.flm"));
    EXPECT_EQ(doc->film(), single);
    doc->side = 9;
    doc->AddFilm(films.file("b.flm"));
    EXPECT_EQ(doc->film(), single) << "a side that is none of the four keeps the single film";
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
    test::WriteFlmFilm(films.file("looks-like.bmp"), 3);
    test::WriteFlmFilm(films.file("second.flm"), 3);
    CommandLineOptions options;
    options.done = false;
    options.round = false;
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
        EXPECT_EQ(doc->Shift, 2);
        EXPECT_EQ(doc->Round, 0);
        EXPECT_EQ(doc->Invert, 1);
        EXPECT_EQ(doc->side, 1);
        EXPECT_NE(dynamic_cast<TwoFilms*>(doc->film()), nullptr);
        EXPECT_FALSE(doc->CanAddFilm());

        options.shift = -9;
        doc->Serialize(films.file("second.flm"));
        EXPECT_EQ(doc->Shift, 2) << "applied once only";
        EXPECT_EQ(dynamic_cast<TwoFilms*>(doc->film()), nullptr);
        EXPECT_EQ(doc->film()->GetShift(), 0) << "a film keeps what its constructor gave it";
    }
    EXPECT_EQ(platform::DocumentSettings::Read().round, 0) << "the command line's choice is stored at the end";
}

// Frame numbers seen after each of `ticks` playback ticks.
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
    doc->film()->SetRound(false);
    EXPECT_EQ(Ticks(*doc, 6), (std::vector<int>{1, 2, 3, 4, 3, 2}));
    EXPECT_EQ(doc->direction, 1);
    EXPECT_EQ(repaints, 6);

    doc->direction = 0;
    doc->Step = 2;
    // At frame 2 only two forward moves are left.
    EXPECT_EQ(Ticks(*doc, 1), (std::vector<int>{3}));
    EXPECT_EQ(doc->direction, 1);
    EXPECT_EQ(Ticks(*doc, 2), (std::vector<int>{0, 1}));
    EXPECT_EQ(doc->direction, 0);

    doc->film()->SetRound(true);
    doc->Step = 1;
    EXPECT_EQ(Ticks(*doc, 3), (std::vector<int>{3, 0, 2}));
    EXPECT_EQ(doc->direction, 0);
}

TEST_F(Document, SteppingSetsTheDirectionEvenWhenTheFilmRefuses)
{
    auto doc = MakeDoc();
    doc->StepForward();  // no film: nothing at all
    EXPECT_EQ(repaints, 0);
    doc->SetFilm(FakeFilm::WithFrames(2));
    doc->film()->SetRound(false);
    doc->StepBack();
    EXPECT_EQ(doc->direction, 1);
    EXPECT_EQ(repaints, 0);
    doc->StepForward();
    doc->StepForward();
    EXPECT_EQ(doc->direction, 0);
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(doc->film()->FrameNumber(), 1);
}

TEST_F(Document, ReleaseDropsTheFilmButKeepsCanAdd)
{
    auto doc = MakeDoc();
    doc->SetFilm(FakeFilm::WithFrames(2));
    doc->canAdd = true;
    doc->ReleaseFilm();
    EXPECT_EQ(doc->film(), nullptr);
    EXPECT_TRUE(doc->canAdd);
    EXPECT_FALSE(doc->CanAddFilm());
    EXPECT_EQ(repaints, 1);
}

}  // namespace
}  // namespace plexo
