#include "pipeline/chained_stage.h"

namespace plexo::pipeline {

PairStage ChainedStage(PairStage first, PairStage then)
{
    if (!first || !then)
        return first ? first : then;
    return [first = std::move(first), then = std::move(then)](const EyePair& pair) {
        EyePairPtr made = first(pair);
        EyePairPtr after = then(made ? *made : pair);
        return after ? after : made;
    };
}

}  // namespace plexo::pipeline
