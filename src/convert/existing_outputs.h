#pragma once
// The files a conversion would write over, found before it writes anything:
// the Translate dialog asks before replacing them, plexo-tool counts them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "convert/converters.h"

namespace plexo {

struct ExistingOutputs {
    struct File {
        std::string path;
        uint64_t device = 0;
        uint64_t inode = 0;
    };
    // The output names of this run that exist now, in the order of writing.
    std::vector<File> files;
    // The run's first and last output names, whether they exist or not: the
    // same name for a .flm output.
    std::string firstOutput;
    std::string lastOutput;
    // The first of them that is (or links to) a file the source film is read
    // from; empty when none is.
    std::string sourceHit;
};

// The outputs of converting the film chosen as `chosenPath` in this way.
// Nothing when the film cannot be opened, which the converter reports itself;
// no message is shown here.
std::optional<ExistingOutputs> FindExistingOutputs(ConversionWay way, const std::string& chosenPath);

// How many of the files found before a run are other files now: every
// output is written beside its old file and renamed over it, so a replaced
// one has a new identity.
int CountReplaced(const ExistingOutputs& before);

// "<path> is a file of the film being converted; it is not written over."
std::string SourceHitMessage(const std::string& path);

}  // namespace plexo
