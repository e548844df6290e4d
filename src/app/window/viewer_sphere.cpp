// View > Projection and a spherical film's camera: the menu's choice is kept
// in the film's record with the camera ("projection", "view"); the keypad's
// arrows (or 4, 6, 8 and 2) turn the camera, its + and - narrow and widen
// the field of view, 5 is Reset View, and a drag and Ctrl+wheel over the
// view do the same as the keys.

#include <QMainWindow>
#include <QMenu>

#include <algorithm>

#include "app/view/plexo_view.h"
#include "app/window/command_ids.h"
#include "app/window/command_table.h"
#include "app/window/viewer_commands.h"
#include "doc/document.h"

namespace plexo {

namespace {

struct ProjectionEntry {
    const char* menu;
    // The --projection word; null for Automatic.
    const char* word;
};

constexpr ProjectionEntry kProjections[] = {
    {"&Automatic", nullptr},
    {"&Flat", "flat"},
    {"&Equirectangular 360°", "equirect"},
    {"&Half-equirectangular 180°", "half-equirect"},
    {"Fisheye &180°", "fisheye:180"},
    {"Fisheye 1&90°", "fisheye:190"},
    {"Fisheye &200°", "fisheye:200"},
    {"Fisheye 22&0°", "fisheye:220"},
};

// Degrees a key turns the camera, or widens its field of view.
constexpr double kKeyTurn = 10;
constexpr double kKeyField = 10;
constexpr double kWheelField = 5;

int CommandOf(size_t entry) { return kCmdProjectionFirst + int(entry); }

}  // namespace

void ViewerCommands::DefineSphereCommands()
{
    auto film = [this] { return doc_.film() != nullptr; };
    auto spherical = [this] { return doc_.projection().projection.spherical(); };
    for (size_t i = 0; i < std::size(kProjections); ++i) {
        const ProjectionChoice choice = kProjections[i].word ? ProjectionNamed(kProjections[i].word) : std::nullopt;
        commands_.Define(CommandOf(i), [this, choice] { doc_.setProjectionChoice(choice); }, film,
                         [this, choice] { return doc_.film() && doc_.projectionChoice() == choice; });
        commands_.Action(CommandOf(i))->setText(QString::fromUtf8(kProjections[i].menu));
    }
    struct Entry {
        int id;
        const char* text;
        double yaw, pitch, fov;
        // The keypad's key without Num Lock, and with it.
        Qt::Key key;
        Qt::Key digit;
    };
    const Entry entries[] = {
        {kCmdResetView, "R&eset View\tNum+5", 0, 0, 0, Qt::Key_Clear, Qt::Key_5},
        {kCmdLookLeft, "Look &Left\tNum+4", -kKeyTurn, 0, 0, Qt::Key_Left, Qt::Key_4},
        {kCmdLookRight, "Look R&ight\tNum+6", kKeyTurn, 0, 0, Qt::Key_Right, Qt::Key_6},
        {kCmdLookUp, "Look &Up\tNum+8", 0, kKeyTurn, 0, Qt::Key_Up, Qt::Key_8},
        {kCmdLookDown, "Look &Down\tNum+2", 0, -kKeyTurn, 0, Qt::Key_Down, Qt::Key_2},
        {kCmdFieldNarrower, "&Narrower View\tNum++", 0, 0, -kKeyField, Qt::Key_Plus, Qt::Key_Plus},
        {kCmdFieldWider, "&Wider View\tNum+-", 0, 0, kKeyField, Qt::Key_Minus, Qt::Key_Minus},
    };
    for (const Entry& entry : entries) {
        if (entry.id == kCmdResetView)
            commands_.Define(entry.id, [this] { doc_.setSphereCamera({}); }, spherical);
        else
            commands_.Define(entry.id, [this, entry] { TurnCamera(entry.yaw, entry.pitch, entry.fov); }, spherical);
        commands_.Action(entry.id)->setText(QString::fromUtf8(entry.text));
        commands_.BindKey(window_, Qt::KeypadModifier | entry.key, entry.id);
        if (entry.digit != entry.key)
            commands_.BindKey(window_, Qt::KeypadModifier | entry.digit, entry.id);
    }
    // A drag moves the picture under the pointer: the camera turns the
    // other way, a view's width of pointer travel for its field of view.
    connect(&view_, &CPlexoView::cameraDragged, this, [this](QPointF moved, bool done) {
        const double perPixel = doc_.sphereCamera().fov / std::max(1, view_.width());
        TurnCamera(-moved.x() * perPixel, moved.y() * perPixel, 0, done);
    });
    connect(&view_, &CPlexoView::fieldOfViewStepped, this,
            [this](int notches) { TurnCamera(0, 0, -notches * kWheelField); });
}

void ViewerCommands::AddProjectionMenu(QMenu& view)
{
    QMenu* projections = view.addMenu(QStringLiteral("Proje&ction"));
    commands_.AddToMenu(*projections, {CommandOf(0), 0, CommandOf(1), CommandOf(2), CommandOf(3), 0, CommandOf(4),
                                       CommandOf(5), CommandOf(6), CommandOf(7)});
    commands_.AddToMenu(view, {kCmdResetView});
}

void ViewerCommands::TurnCamera(double yaw, double pitch, double fov, bool keep)
{
    if (doc_.projection().projection.spherical())
        doc_.setSphereCamera(Turned(doc_.sphereCamera(), yaw, pitch, fov), keep);
}

}  // namespace plexo
