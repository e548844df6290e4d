#include "app/dialogs/set_pnl_command.h"

#include "app/view/presentation_state.h"
#include "doc/document.h"
#include "film/film.h"

namespace plexo {

SettingsValues FillSettings(const Film& film, const CPlexoDoc& doc, const PresentationState& state)
{
    SettingsValues v;
    const int32_t count = film.FrameCount();
    v.highestFrame = count > 0 ? count - 1 : 0;
    v.a = film.GetShift();
    v.framesPerSecond = doc.playRate(state.framesPerSecond);
    v.round = doc.round();
    v.alter = int32_t(doc.reading());
    v.invert = doc.invert();
    v.step = doc.step();
    v.d = doc.stereo().adjust.dist;
    v.side = int32_t(doc.addSide());
    v.redBlue = doc.stereo().presentation == PresentationId::RedBlue;
    v.interlaced = doc.stereo().presentation == PresentationId::Interlaced;
    v.stereoOn = state.stereo;
    v.resume = doc.resume();
    v.slideSeconds = doc.slideSeconds();
    return v;
}

void ApplySettings(const SettingsValues& v, Film& film, CPlexoDoc& doc, PresentationState& state)
{
    // A two-view film's A is its eye offset, kept with the film, not Shift.
    if (doc.twoView() && doc.film() == &film) {
        doc.setEyeOffset(v.a);
    } else {
        film.SetShift(v.a);
        doc.setShift(film.GetShift());
    }
    film.SetRound(v.round != 0);
    film.SetInvert(v.invert != 0);
    doc.setRound(v.round != 0);
    doc.setInvert(v.invert != 0);
    doc.setResume(v.resume != 0);
    doc.setSlideSeconds(v.slideSeconds);
    doc.setReading(CPlexoDoc::Reading(v.alter));
    doc.setStep(v.step);
    // The D shown, when moved, is the film's from now on, and the Settings D
    // unless the film has two views.
    if (v.d != doc.stereo().adjust.dist)
        doc.setDist(v.d);
    if (v.side >= 0 && v.side <= 3)
        doc.setAddSide(CPlexoDoc::AddSide(v.side));
    // The boxes as they were filled choose nothing, so a presentation that
    // neither names stays; changed, neither box checked means page flipping.
    const PresentationId chosen = doc.stereo().presentation;
    if ((v.redBlue != 0) != (chosen == PresentationId::RedBlue)
        || (v.interlaced != 0) != (chosen == PresentationId::Interlaced))
        doc.ChoosePresentation(v.interlaced ? PresentationId::Interlaced
                               : v.redBlue  ? PresentationId::RedBlue
                                            : PresentationId::PageFlip);
    // A video's rate is its own, kept with it, never Frames/sec.
    if (doc.ownRate())
        doc.setFilmRate(v.framesPerSecond);
    else
        state.framesPerSecond = v.framesPerSecond;
    doc.TellFilmMoved();
}

bool RunSettingsCommand(CPlexoDoc& doc, PresentationState& state, const SettingsCommandHooks& hooks,
                        QWidget* parent)
{
    if (state.playing)
        return false;
    SetPnl dialog(parent);
    Film* film = doc.film();
    if (!film)
        return false;
    dialog.values = FillSettings(*film, doc, state);

    if (hooks.opened)
        hooks.opened(dialog);
    const int result = hooks.run ? hooks.run(dialog) : dialog.exec();
    // Asked again: the modal loop ran, and only the document knows whether
    // it still holds that film.
    if (result == QDialog::Accepted && doc.film())
        ApplySettings(dialog.values, *doc.film(), doc, state);
    if (hooks.closed)
        hooks.closed();
    return true;
}

}  // namespace plexo
