#pragma once
// View > Align and Align Every Frame: the shown pair's correction found and
// kept as the film's, or every frame aligned as it plays.

namespace plexo {

class CPlexoDoc;

// Aligns the current pair and keeps its correction; says "could not align:
// N matches" and leaves the film as it is when it cannot.
void AlignShownPair(CPlexoDoc& doc);
// Turns every-frame alignment on, or off again.
void ToggleAlignEveryFrame(CPlexoDoc& doc);
bool AligningEveryFrame(const CPlexoDoc& doc);

}  // namespace plexo
