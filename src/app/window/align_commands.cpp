#include "app/window/align_commands.h"

#include "align/estimate.h"
#include "doc/document.h"
#include "doc/film_alignment.h"
#include "platform/message_sink.h"

namespace plexo {

void AlignShownPair(CPlexoDoc& doc)
{
    Film* film = doc.film();
    const EyePairPtr pair = film ? film->Pair(Tone::Colour) : nullptr;
    if (!pair)
        return;
    const align::AlignResult result = align::EstimateAlignment(pair->first, pair->second);
    if (!result.alignment) {
        platform::ShowMessage(align::CouldNotAlignMessage(result.matches));
        return;
    }
    doc.setAlignment(align::AlignModelText(result.alignment->model));
}

void ToggleAlignEveryFrame(CPlexoDoc& doc)
{
    doc.setAlignment(AligningEveryFrame(doc) ? std::string() : std::string(kAlignEveryFrame));
}

bool AligningEveryFrame(const CPlexoDoc& doc)
{
    return doc.alignment() == kAlignEveryFrame;
}

}  // namespace plexo
