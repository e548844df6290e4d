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
    // The run's first output name, whether it exists or not: the .flm file
    // for a .flm output.
    std::string firstOutput;
    // The first of them that is (or links to) a file the source film is read
    // from; empty when none is.
    std::string sourceHit;

    // The name of the output that holds the `done`-th frame written (from
    // 1), so that a run cut short names what it wrote.
    std::string OutputOfFrame(int done) const;

    // How the names are made: the base, the extension (empty for a .flm
    // output) and the source's frame numbers in the order of writing; none
    // for a video, whose frames are numbered from 1 and whose count is only
    // known once they are decoded.
    std::string base;
    std::string extension;
    std::vector<int32_t> numbers;
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
