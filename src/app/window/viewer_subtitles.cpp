// View > Subtitles: which of the film's tracks is drawn, and at what depth.
// The choice lives in the film's record; the view reads it on every paint.

#include <QMainWindow>
#include <QMenu>

#include <algorithm>

#include "app/view/plexo_view.h"

#include "app/window/command_ids.h"
#include "app/window/command_table.h"
#include "app/window/viewer_commands.h"
#include "doc/document.h"
#include "subtitle/subtitle_depth.h"
#include "subtitle/subtitle_tracks.h"

namespace plexo {

namespace {

std::vector<subtitle::SubtitleTrack> TracksOf(const CPlexoDoc& doc)
{
    return doc.film() && !doc.filmPaths().empty() ? subtitle::SubtitleTracks(doc.filmPaths().front())
                                                  : std::vector<subtitle::SubtitleTrack>{};
}

subtitle::DepthChoice DepthOf(const CPlexoDoc& doc)
{
    return subtitle::ParseDepth(doc.subtitleDepth()).value_or(subtitle::DepthChoice{});
}

}  // namespace

void ViewerCommands::DefineSubtitleCommands()
{
    auto film = [this] { return doc_.film() != nullptr; };
    auto shown = [this] { return doc_.film() && doc_.subtitleTrack() != 0; };
    auto depthIs = [this](subtitle::DepthMode mode) { return [this, mode] { return DepthOf(doc_).mode == mode; }; };
    struct Entry {
        int id;
        const char* text;
        QKeyCombination key;
    };
    const Entry entries[] = {
        {kCmdSubtitlesShown, "&Show Subtitles\tV", QKeyCombination(Qt::Key_V)},
        {kCmdSubtitlesNext, "&Next Track\tJ", QKeyCombination(Qt::Key_J)},
        {kCmdSubtitlesAuthored, "As &Authored", {}},
        {kCmdSubtitlesOff, "&Off", {}},
        {kCmdSubtitleDepthAuto, "Automatic &Depth", {}},
        {kCmdSubtitleCloser, "&Closer\tAlt+]", Qt::ALT | Qt::Key_BracketRight},
        {kCmdSubtitleFarther, "&Farther\tAlt+[", Qt::ALT | Qt::Key_BracketLeft},
    };
    commands_.Define(kCmdSubtitlesShown, [this] { ToggleSubtitles(); }, film, shown);
    commands_.Define(kCmdSubtitlesNext, [this] { NextSubtitleTrack(); }, film);
    commands_.Define(
        kCmdSubtitlesAuthored,
        [this] {
            doc_.setSubtitleDepth(DepthOf(doc_).mode == subtitle::DepthMode::AsAuthored ? "auto" : "authored");
        },
        shown, depthIs(subtitle::DepthMode::AsAuthored));
    commands_.Define(kCmdSubtitlesOff, [this] { ChooseSubtitleTrack(0); }, film,
                     [this] { return doc_.subtitleTrack() == 0; });
    commands_.Define(kCmdSubtitleDepthAuto, [this] { doc_.setSubtitleDepth("auto"); }, shown,
                     depthIs(subtitle::DepthMode::Automatic));
    commands_.Define(kCmdSubtitleCloser, [this] { MoveSubtitleDepth(1); }, shown);
    commands_.Define(kCmdSubtitleFarther, [this] { MoveSubtitleDepth(-1); }, shown);
    for (const Entry& entry : entries) {
        commands_.Action(entry.id)->setText(QString::fromUtf8(entry.text));
        if (entry.key != QKeyCombination())
            commands_.BindKey(window_, entry.key, entry.id);
    }
}

void ViewerCommands::AddSubtitleMenu(QMenu& view)
{
    subtitleMenu_ = view.addMenu(QStringLiteral("Su&btitles"));
    // The film's tracks are read when the menu opens.
    connect(subtitleMenu_, &QMenu::aboutToShow, this, [this] { RebuildSubtitleMenu(); });
    RebuildSubtitleMenu();
}

void ViewerCommands::RebuildSubtitleMenu()
{
    subtitleMenu_->clear();
    commands_.AddToMenu(*subtitleMenu_, {kCmdSubtitlesShown, kCmdSubtitlesNext, 0});
    const std::vector<subtitle::SubtitleTrack> tracks = TracksOf(doc_);
    const int32_t chosen = doc_.subtitleTrack().value_or(subtitle::UnaskedTrack(tracks));
    for (size_t i = 0; i < tracks.size(); ++i) {
        const int32_t number = int32_t(i + 1);
        QString text = QString::fromStdString(subtitle::TrackLabel(tracks[i])).replace('&', QStringLiteral("&&"));
        text = number <= 9 ? QStringLiteral("&%1 %2").arg(number).arg(text) : QStringLiteral("%1 %2").arg(number).arg(text);
        QAction* action = subtitleMenu_->addAction(text);
        action->setCheckable(true);
        action->setChecked(chosen == number);
        connect(action, &QAction::triggered, this, [this, number] { ChooseSubtitleTrack(number); });
    }
    commands_.AddToMenu(*subtitleMenu_, {kCmdSubtitlesAuthored, kCmdSubtitlesOff, 0, kCmdSubtitleDepthAuto,
                                         kCmdSubtitleCloser, kCmdSubtitleFarther});
    commands_.Update();
}

void ViewerCommands::ChooseSubtitleTrack(std::optional<int32_t> track)
{
    doc_.setSubtitleTrack(track);
}

void ViewerCommands::ToggleSubtitles()
{
    const std::optional<int32_t> track = doc_.subtitleTrack();
    if (track == 0) {
        ChooseSubtitleTrack(hiddenTrack_);
        return;
    }
    hiddenTrack_ = track;
    ChooseSubtitleTrack(0);
}

void ViewerCommands::NextSubtitleTrack()
{
    const size_t count = TracksOf(doc_).size();
    if (count == 0)
        return;
    // From the default (nullopt) or off (0) to the first; after the last,
    // off, as mpv's cycle goes.
    const int32_t now = doc_.subtitleTrack().value_or(0);
    ChooseSubtitleTrack(size_t(now) >= count ? 0 : now + 1);
}

void ViewerCommands::MoveSubtitleDepth(int by)
{
    const subtitle::DepthChoice depth = DepthOf(doc_);
    // From automatic, the depth starts where the view last drew it.
    const int from = depth.mode == subtitle::DepthMode::Fixed ? depth.fixed : view_.subtitleDisparity();
    const int moved = std::clamp(from + by, -subtitle::kMaxFixedDepth, subtitle::kMaxFixedDepth);
    doc_.setSubtitleDepth(subtitle::DepthText({subtitle::DepthMode::Fixed, moved}));
}

}  // namespace plexo
