// The main frame's stereo commands: View > Stereo Presentation, one entry a
// stereo row of the table of presentations, and View > Adjustments with the
// adjustment keys.

#include <QAction>
#include <QMenu>

#include "app/window/align_commands.h"
#include "app/window/command_ids.h"
#include "app/window/main_frame.h"
#include "doc/document.h"

namespace plexo {

namespace {

struct Move {
    int id;
    const char* menu;
    QKeyCombination key;
    int32_t dist;
    int32_t vertical;
};

const Move kMoves[] = {
    {kCmdDistUp, "D &+1\t]", QKeyCombination(Qt::Key_BracketRight), 1, 0},
    {kCmdDistDown, "D &-1\t[", QKeyCombination(Qt::Key_BracketLeft), -1, 0},
    {kCmdDistUpTen, "D +&10\tCtrl+]", Qt::CTRL | Qt::Key_BracketRight, 10, 0},
    {kCmdDistDownTen, "D -1&0\tCtrl+[", Qt::CTRL | Qt::Key_BracketLeft, -10, 0},
    {kCmdSecondEyeUp, "Second Eye &Up\tAlt+Up", Qt::ALT | Qt::Key_Up, 0, 1},
    {kCmdSecondEyeDown, "Second Eye &Down\tAlt+Down", Qt::ALT | Qt::Key_Down, 0, -1},
};

// Every row but plain, which is stereo off.
bool Chosen(const Presentation& presentation)
{
    return presentation.id != PresentationId::Plain;
}

int CommandOf(const Presentation& presentation)
{
    return kCmdPresentationFirst + int(presentation.id);
}

// The table's label as a menu item: capitalised, an ampersand shown as one.
QString MenuText(const char* label)
{
    QString text = QString::fromUtf8(label).replace(QLatin1Char('&'), QStringLiteral("&&"));
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

}  // namespace

void CMainFrame::DefineStereoCommands()
{
    CommandTable& t = commands_;
    auto film = [this] { return FilmLoaded(); };
    for (const Presentation& row : Presentations()) {
        if (!Chosen(row))
            continue;
        const PresentationId id = row.id;
        t.Define(CommandOf(row), [this, id] { OnChoosePresentation(id); }, film,
                 [this, id] { return doc_.stereo().presentation == id; });
        t.Action(CommandOf(row))->setText(MenuText(row.label));
    }
    t.Define(kCmdSwapEyes, [this] { doc_.SwapEyes(); }, film, [this] { return doc_.stereo().adjust.swap; });
    t.Action(kCmdSwapEyes)->setText(QStringLiteral("&Swap Eyes\tW"));
    commands_.BindKey(*this, QKeyCombination(Qt::Key_W), kCmdSwapEyes);
    for (const Move& move : kMoves) {
        t.Define(move.id, [this, &move] { doc_.MoveAdjustments(move.dist, move.vertical); }, film);
        t.Action(move.id)->setText(QString::fromUtf8(move.menu));
        commands_.BindKey(*this, move.key, move.id);
    }
    t.Define(kCmdResetAdjustments, [this] { doc_.ResetAdjustments(); }, film);
    t.Action(kCmdResetAdjustments)->setText(QStringLiteral("&Reset Adjustments\tBackspace"));
    commands_.BindKey(*this, QKeyCombination(Qt::Key_Backspace), kCmdResetAdjustments);
    t.Define(kCmdAlign, [this] { AlignShownPair(doc_); }, film);
    t.Action(kCmdAlign)->setText(QStringLiteral("Ali&gn\tShift+A"));
    commands_.BindKey(*this, Qt::SHIFT | Qt::Key_A, kCmdAlign);
    t.Define(kCmdAlignEveryFrame, [this] { ToggleAlignEveryFrame(doc_); }, film,
             [this] { return AligningEveryFrame(doc_); });
    t.Action(kCmdAlignEveryFrame)->setText(QStringLiteral("Align E&very Frame"));
}

void CMainFrame::AddStereoMenus(QMenu& view)
{
    QMenu* presentations = view.addMenu(QStringLiteral("Stereo &Presentation"));
    for (const Presentation& row : Presentations())
        if (Chosen(row))
            presentations->addAction(commands_.Action(CommandOf(row)));
    QMenu* adjustments = view.addMenu(QStringLiteral("Ad&justments"));
    commands_.AddToMenu(*adjustments, {kCmdSwapEyes, 0, kCmdDistUp, kCmdDistDown, kCmdDistUpTen, kCmdDistDownTen, 0,
                                       kCmdSecondEyeUp, kCmdSecondEyeDown, 0, kCmdResetAdjustments});
    commands_.AddToMenu(view, {kCmdAlign, kCmdAlignEveryFrame});
}

}  // namespace plexo
