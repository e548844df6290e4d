#pragma once
// Two stages one after the other, as a pipeline joins its stages.

#include "film/staged_film.h"

namespace plexo::pipeline {

// The pair through `first`, then what it made through `then`; either may be
// empty, and so is the chain when both are.
PairStage ChainedStage(PairStage first, PairStage then);

}  // namespace plexo::pipeline
