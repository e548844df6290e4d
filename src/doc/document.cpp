#include "doc/document.h"

#include "doc/step_to_end.h"

#include <algorithm>

#include "doc/open_failure.h"
#include "doc/save_frame.h"
#include "film/factories.h"
#include "film/file_formats.h"
#include "film/open_film.h"
#include "film/two_films.h"
#include "platform/document_settings.h"
#include "platform/log.h"
#include "platform/message_sink.h"
#include "platform/playback_settings.h"

namespace plexo {

CPlexoDoc::CPlexoDoc(CommandLineOptions* commandLine) : commandLine_(commandLine)
{
    const platform::DocumentSettings s = platform::DocumentSettings::Read();
    Alter = s.alter;
    // Only a hand-edited file brings a Step the Settings dialog cannot offer;
    // every tick makes Step single moves, so 2000000000 would stall each one
    // for seconds.
    Step = std::clamp(s.step, 0, kMaxStep);
    Dist = s.dist;
    Shift = s.shift;
    Round = s.round;
    Invert = s.invert;
    const platform::PlaybackSettings playback = platform::PlaybackSettings::Read();
    resume_ = playback.resume;
    loopList_ = playback.loopList;
    slideSeconds_ = playback.slideSeconds;
    RecallAdjustments();
}

CPlexoDoc::~CPlexoDoc()
{
    KeepPosition();
    platform::PlaybackSettings{resume_, slideSeconds_, loopList_}.Write();
    platform::DocumentSettings s;
    s.alter = Alter;
    s.step = Step;
    s.dist = Dist;
    s.shift = Shift;
    s.round = Round;
    s.invert = Invert;
    s.Write();
}

void CPlexoDoc::SetFilm(FilmPtr film)
{
    KeepPosition();
    resumedAt_.reset();
    film_ = std::move(film);
    ++filmSerial_;
    filmPaths_.clear();
    RecallAdjustments();
}

void CPlexoDoc::TellFilmMoved()
{
    if (filmMoved)
        filmMoved();
}

bool CPlexoDoc::SeekTo(int32_t position)
{
    if (!film_ || position == film_->Position() || !film_->Seek(position))
        return false;
    TellFilmMoved();
    return true;
}

bool CPlexoDoc::StepToEnd(bool last)
{
    if (!film_ || plexo::StepToEnd(*film_, last) <= 0)
        return false;
    TellFilmMoved();
    return true;
}

LayoutChoice CPlexoDoc::LayoutOf(const std::string& path) const
{
    return layoutOf ? layoutOf(path) : LayoutChoice{};
}

void CPlexoDoc::ApplyParameters(Film& film) const
{
    film.SetShift(ShiftFor(film));
    film.SetRound(Round != 0);
    film.SetInvert(Invert != 0);
}

namespace {

// Every way of opening a film says when the file gives none, unless the
// factory has already said why ("Filename is incompatible", "File extension
// is incompatible").
FilmPtr OpenTold(FilmPtr (*open)(const std::string&, const LayoutChoice&), const std::string& path,
                 const LayoutChoice& choice)
{
    const uint64_t shown = platform::MessagesShown();
    FilmPtr film = open(path, choice);
    if (!film && platform::MessagesShown() == shown)
        platform::ShowMessage(OpenFailureMessage(path));
    return film;
}

// What Load opens, and a .flm film whatever the name's extension otherwise.
FilmPtr OpenNamedFilm(const std::string& path, const LayoutChoice& choice)
{
    return FileFormatOf(path) ? OpenFilmByExtension(path, choice) : OpenFlmFilm(path);
}

}  // namespace

bool CPlexoDoc::LoadFilm(const std::string& chosenPath)
{
    FilmPtr film = OpenTold(OpenFilmByExtension, chosenPath, LayoutOf(chosenPath));
    if (!film)
        return false;
    KeepPosition();
    film_ = std::move(film);
    ++filmSerial_;
    filmPaths_ = {chosenPath};
    RecallAdjustments();
    ApplyParameters(*film_);
    ResumePosition();
    canAdd = true;
    TellFilmMoved();
    return true;
}

bool CPlexoDoc::AddFilm(const std::string& chosenPath)
{
    if (!film_)
        return false;
    FilmPtr second = OpenTold(OpenFilmByExtension, chosenPath, LayoutOf(chosenPath));
    if (!second)
        return false;
    ApplyParameters(*second);
    KeepPosition();
    resumedAt_.reset();
    // PairFilms hands both films back (leaves them with us) when it refuses,
    // as for a side that is none of the four: the current film then stays.
    FilmPtr pair = PairFilms(std::move(film_), std::move(second), side);
    if (!pair)
        return false;
    film_ = std::move(pair);
    ++filmSerial_;
    canAdd = false;
    pairSide_ = side;
    if (!filmPaths_.empty())
        filmPaths_.push_back(chosenPath);
    RecallAdjustments();
    TellFilmMoved();
    return true;
}

bool CPlexoDoc::Serialize(const std::string& path)
{
    FilmPtr film = OpenTold(OpenNamedFilm, path, LayoutOf(path));
    if (!film)
        return false;
    KeepPosition();
    film_ = std::move(film);
    ++filmSerial_;
    filmPaths_ = {path};
    if (commandLine_ && !commandLine_->done)
        ApplyCommandLine();
    RecallAdjustments();
    ResumePosition();
    TellFilmMoved();
    return true;
}

FilmPtr CPlexoDoc::OpenFilmAgain() const
{
    if (!film_ || filmPaths_.empty())
        return nullptr;
    FilmPtr film = OpenTold(OpenNamedFilm, filmPaths_[0], LayoutOf(filmPaths_[0]));
    if (film && filmPaths_.size() == 2) {
        FilmPtr second = OpenTold(OpenNamedFilm, filmPaths_[1], LayoutOf(filmPaths_[1]));
        film = second ? PairFilms(std::move(film), std::move(second), pairSide_) : nullptr;
    }
    if (!film)
        return nullptr;
    film->SetShift(film_->GetShift());
    film->SetRound(film_->GetRound());
    film->SetInvert(film_->GetInvert());
    film->Seek(film_->Position());
    return film;
}

void CPlexoDoc::ApplyCommandLine()
{
    const CommandLineOptions& options = *commandLine_;
    commandLine_->done = true;
    Invert = options.invert;
    Round = options.round;
    side = options.side;
    film_->SetRound(Round != 0);
    film_->SetShift(options.shift);
    film_->SetInvert(Invert != 0);
    Shift = film_->GetShift();
    if (options.secondFilm.empty())
        return;
    FilmPtr second = OpenTold(OpenNamedFilm, options.secondFilm, LayoutOf(options.secondFilm));
    if (!second)
        return;
    ApplyParameters(*second);
    if (FilmPtr pair = PairFilms(std::move(film_), std::move(second), side)) {
        film_ = std::move(pair);
        ++filmSerial_;
        canAdd = false;
        pairSide_ = side;
        filmPaths_.push_back(options.secondFilm);
    }
}

void CPlexoDoc::StepForward()
{
    if (!film_)
        return;
    if (film_->Next())
        TellFilmMoved();
    direction = 0;
}

void CPlexoDoc::StepBack()
{
    if (!film_)
        return;
    if (film_->Prev())
        TellFilmMoved();
    direction = 1;
}

void CPlexoDoc::ReleaseFilm()
{
    KeepPosition();
    resumedAt_.reset();
    film_.reset();
    ++filmSerial_;
    RecallAdjustments();
    TellFilmMoved();
}

bool CPlexoDoc::SaveAs(const std::string& path)
{
    if (film_)
        return SaveFrame(*film_, path);
    LogMessage("Save error");
    return false;
}

}  // namespace plexo
