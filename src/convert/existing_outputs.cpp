#include "convert/existing_outputs.h"

#include <cstring>
#include <utility>

#include "convert/file_identity.h"
#include "convert/output_names.h"
#include "film/factories.h"
#include "film/file_formats.h"
#include "film/numbered_sequence.h"

namespace plexo {

namespace {

// The source's frame numbers in the order a conversion walks them, and the
// files it reads them from.
struct Source {
    std::vector<int32_t> numbers;
    std::vector<std::string> files;
};

// MPO and JPS files come alone as often as in runs.
bool StandsAlone(ConversionWay way)
{
    const std::string name = SourceFormat(way).name;
    return name == "mpo" || name == "jps";
}

std::optional<Source> SourceOf(ConversionWay way, const std::string& chosenPath)
{
    Source source;
    if (way == ConversionWay::FlmToBmp || way == ConversionWay::FlmToJpg) {
        FilmPtr film = OpenFlmFilm(chosenPath);
        if (!film)
            return std::nullopt;
        film->SetShift(0);
        film->SetRound(false);
        film->Seek(0);
        do
            source.numbers.push_back(film->FrameNumber());
        while (film->Next());
        source.files.push_back(chosenPath);
        return source;
    }
    if (std::strcmp(SourceFormat(way).name, "video") == 0) {
        // A video's frames are numbered from 1 in play order; walking them
        // would decode them.
        const FileFormat* format = FileFormatOf(chosenPath);
        FilmPtr film = format && format->openFilm ? format->openFilm(chosenPath, {}) : nullptr;
        if (!film)
            return std::nullopt;
        for (int32_t number = 1; number <= film->FrameCount(); ++number)
            source.numbers.push_back(number);
        source.files.push_back(chosenPath);
        return source;
    }
    const std::string extension = std::string(".") + SourceFormat(way).extension;
    std::vector<SequenceFile> files;
    if (StandsAlone(way)) {
        files = GatherRunOrFile(chosenPath, extension);
    } else if (SequenceBase(chosenPath).size() + 4 < chosenPath.size()) {
        // A name without frame digits is the converter's to report.
        files = GatherSequence(chosenPath, extension).value_or(std::vector<SequenceFile>{});
    }
    if (files.empty())
        return std::nullopt;
    for (SequenceFile& file : files) {
        source.numbers.push_back(file.number);
        source.files.push_back(std::move(file.path));
    }
    return source;
}

std::vector<std::string> OutputNames(ConversionWay way, const std::string& chosenPath, const Source& source)
{
    const std::string output = OutputOf(way, chosenPath);
    if (WritesFlm(way))
        return {output};
    const std::string extension = std::string(".") + TargetFormat(way).extension;
    std::vector<std::string> names;
    names.reserve(source.numbers.size());
    for (int32_t number : source.numbers)
        names.push_back(FrameFileName(output, number, extension.c_str()));
    return names;
}

}  // namespace

std::optional<ExistingOutputs> FindExistingOutputs(ConversionWay way, const std::string& chosenPath)
{
    const std::optional<Source> source = SourceOf(way, chosenPath);
    if (!source)
        return std::nullopt;
    const std::set<FileIdentity> sourceFiles = IdentitiesOf(source->files);
    ExistingOutputs found;
    std::vector<std::string> names = OutputNames(way, chosenPath, *source);
    found.firstOutput = names.front();
    found.lastOutput = names.back();
    for (std::string& name : names) {
        const std::optional<FileIdentity> identity = IdentityOf(name);
        if (!identity)
            continue;
        if (found.sourceHit.empty() && sourceFiles.count(*identity))
            found.sourceHit = name;
        found.files.push_back({std::move(name), identity->device, identity->inode});
    }
    return found;
}

int CountReplaced(const ExistingOutputs& before)
{
    int replaced = 0;
    for (const ExistingOutputs::File& file : before.files) {
        const std::optional<FileIdentity> now = IdentityOf(file.path);
        if (now && *now != FileIdentity{file.device, file.inode})
            ++replaced;
    }
    return replaced;
}

std::string SourceHitMessage(const std::string& path)
{
    return path + " is a file of the film being converted; it is not written over.";
}

}  // namespace plexo
