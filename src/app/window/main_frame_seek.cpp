// Seeking by time, as mpv's keys do: Shift+Right and Shift+Left 5 s,
// Shift+Up and Shift+Down 60 s; the sound's delay (+ and -) and the
// subtitles' (Z and X). Each shows its on-screen line for a second, drawn
// into both eyes at the subtitles' depth.

#include <QAction>

#include "app/window/command_ids.h"
#include "app/window/main_frame.h"
#include "app/window/shown_pipeline.h"
#include "doc/document.h"
#include "play/time_seek.h"

namespace plexo {

namespace {

constexpr int kLineShownMs = 1000;

struct TimeKey {
    int id;
    const char* menu;
    QKeyCombination key;
    int64_t byUs;
};

const TimeKey kTimeKeys[] = {
    {kCmdSeekForwardShort, "Forward &5 Seconds\tShift+Right", Qt::SHIFT | Qt::Key_Right, 5'000'000},
    {kCmdSeekBackShort, "Back 5 Se&conds\tShift+Left", Qt::SHIFT | Qt::Key_Left, -5'000'000},
    {kCmdSeekForwardLong, "Forward &60 Seconds\tShift+Up", Qt::SHIFT | Qt::Key_Up, 60'000'000},
    {kCmdSeekBackLong, "Back 60 Secon&ds\tShift+Down", Qt::SHIFT | Qt::Key_Down, -60'000'000},
};

struct DelayKey {
    int id;
    const char* menu;
    QKeyCombination key;
    bool sound;
    int32_t ms;
};

const DelayKey kDelayKeys[] = {
    {kCmdSoundLater, "So&und Later\t+", QKeyCombination(Qt::Key_Plus), true, CPlexoDoc::kAudioDelayStepMs},
    {kCmdSoundEarlier, "Sound E&arlier\t-", QKeyCombination(Qt::Key_Minus), true, -CPlexoDoc::kAudioDelayStepMs},
    {kCmdSubtitlesEarlier, "Subtitles Ea&rlier\tZ", QKeyCombination(Qt::Key_Z), false,
     -CPlexoDoc::kSubtitleDelayStepMs},
    {kCmdSubtitlesLater, "Subtitles La&ter\tX", QKeyCombination(Qt::Key_X), false, CPlexoDoc::kSubtitleDelayStepMs},
};

}  // namespace

void CMainFrame::DefineSeekCommands()
{
    CommandTable& t = commands_;
    auto film = [this] { return FilmLoaded(); };
    for (const TimeKey& key : kTimeKeys) {
        t.Define(key.id, [this, by = key.byUs] { SeekByTime(by); }, film);
        t.Action(key.id)->setText(QString::fromUtf8(key.menu));
        t.BindKey(*this, key.key, key.id);
    }
    for (const DelayKey& key : kDelayKeys) {
        t.Define(key.id, [this, &key] {
            key.sound ? doc_.MoveAudioDelay(key.ms) : doc_.MoveSubtitleDelay(key.ms);
            const int64_t delayMs = key.sound ? doc_.audioDelayMs() : doc_.subtitleDelayMs();
            ShowLine((key.sound ? "sound delay " : "subtitle delay ") + play::DelayText(delayMs * 1000));
        }, film);
        t.Action(key.id)->setText(QString::fromUtf8(key.menu));
        t.BindKey(*this, key.key, key.id);
    }
    // "=" is "+" without Shift on many keyboards.
    t.BindKey(*this, QKeyCombination(Qt::Key_Equal), kCmdSoundLater);
    lineTimer_.setSingleShot(true);
    connect(&lineTimer_, &QTimer::timeout, this, [this] { ShowLine({}); });
}

void CMainFrame::SeekByTime(int64_t byUs)
{
    Film* film = doc_.film();
    if (!film)
        return;
    const double rate = doc_.playRate(state.framesPerSecond);
    const std::optional<play::Micros> from = player_.FilmTime(rate);
    const std::optional<play::TimeSeek> seek = from ? play::SeekByTime(*film, *from, byUs, rate) : std::nullopt;
    if (!seek)
        return;
    // The line goes into the pipeline before the seek builds it again.
    pipeline_->SetLine(play::TimeLineText(*seek));
    lineTimer_.start(kLineShownMs);
    if (!doc_.SeekTo(seek->position))
        ShowLine(play::TimeLineText(*seek));
}

void CMainFrame::ShowLine(const std::string& text)
{
    if (!text.empty())
        lineTimer_.start(kLineShownMs);
    pipeline_->SetLine(text);
    // A playing film takes the line from its next pair on; a still one shows
    // its pair again.
    if (state.playing)
        pipeline_->Sync();
    else
        RefreshPlayer();
}

}  // namespace plexo
