// View > Layout: how the loaded film's file holds its eyes, as the user sees
// it, over what the file says. The choice is kept with the film in the
// "Recent" section and applies on every later open of the file.

#include <QFileInfo>
#include <QMenu>

#include "app/window/command_ids.h"
#include "app/window/command_table.h"
#include "app/window/viewer_commands.h"
#include "doc/document.h"
#include "film/file_formats.h"

namespace plexo {

namespace {

struct LayoutEntry {
    const char* menu;
    // The --source-layout word; null for Automatic.
    const char* word;
};

constexpr LayoutEntry kLayouts[] = {
    {"&Automatic", nullptr},
    {"&Mono", "mono"},
    {"&Side by side (left first)", "sbs"},
    {"Side by side (&right first)", "sbs-rl"},
    {"&Top-bottom (left on top)", "tb"},
    {"Top-bottom (right on t&op)", "tb-rl"},
    {"&Half side by side (left first)", "hsbs"},
    {"Half side by side (right &first)", "hsbs-rl"},
    {"Half top-bottom (&left on top)", "htb"},
    {"Half top-bottom (right on to&p)", "htb-rl"},
};

int CommandOf(size_t entry) { return kCmdLayoutFirst + int(entry); }

LayoutChoice ChoiceOf(const LayoutEntry& entry)
{
    return entry.word ? LayoutNamed(entry.word) : LayoutChoice{};
}

}  // namespace

LayoutChoice ViewerCommands::LayoutOf(const std::string& path) const
{
    const auto kept = recent_.layouts.find(QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString());
    return kept == recent_.layouts.end() ? LayoutChoice{} : LayoutNamed(kept->second);
}

void ViewerCommands::DefineLayoutCommands()
{
    // A pair's two films each keep their own; the menu speaks for a film
    // loaded alone, whichever way it was opened (the command line and Open
    // too), from a file whose extension the table knows, so that Load opens
    // it again.
    auto alone = [this] {
        return doc_.film() && doc_.filmPaths().size() == 1 && !loadedPath_.empty() && FileFormatOf(loadedPath_);
    };
    for (size_t i = 0; i < std::size(kLayouts); ++i) {
        const LayoutChoice choice = ChoiceOf(kLayouts[i]);
        commands_.Define(CommandOf(i), [this, choice] { ChooseLayout(choice); }, alone,
                         [this, choice] { return !loadedPath_.empty() && LayoutOf(loadedPath_) == choice; });
        commands_.Action(CommandOf(i))->setText(QString::fromUtf8(kLayouts[i].menu));
    }
}

void ViewerCommands::AddLayoutMenu(QMenu& view)
{
    QMenu* layouts = view.addMenu(QStringLiteral("&Layout"));
    commands_.AddToMenu(*layouts, {CommandOf(0), 0, CommandOf(1), 0, CommandOf(2), CommandOf(3), CommandOf(4),
                                   CommandOf(5), 0, CommandOf(6), CommandOf(7), CommandOf(8), CommandOf(9)});
}

void ViewerCommands::ChooseLayout(const LayoutChoice& layout)
{
    const std::string path = loadedPath_;
    if (layout)
        recent_.layouts[path] = LayoutWord(*layout);
    else
        recent_.layouts.erase(path);
    const int32_t at = doc_.film() ? doc_.film()->Position() : 0;
    const bool opened = doc_.LoadFilm(path);
    if (opened)
        doc_.film()->Seek(at);
    FilmOpened(QString::fromStdString(path), true, opened);
}

}  // namespace plexo
