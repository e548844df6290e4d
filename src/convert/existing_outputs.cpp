#include "convert/existing_outputs.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <utility>

#include "convert/file_identity.h"
#include "convert/output_names.h"
#include "film/factories.h"
#include "film/file_formats.h"
#include "film/numbered_sequence.h"

namespace plexo {

namespace {

// The source's frame numbers in the order a conversion walks them, and the
// files it reads them from; a video's frames are only counted.
struct Source {
    std::vector<int32_t> numbers;
    int32_t videoFrames = 0;
    std::vector<std::string> files;
};

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
        // would decode them, and its count may be a header's word.
        const FileFormat* format = FileFormatOf(chosenPath);
        FilmPtr film = format && format->openFilm ? format->openFilm(chosenPath, {}) : nullptr;
        if (!film)
            return std::nullopt;
        source.videoFrames = film->FrameCount();
        source.files.push_back(chosenPath);
        return source;
    }
    std::vector<SequenceFile> files =
        GatherRunOrFile(chosenPath, std::string(".") + SourceFormat(way).extension);
    if (files.empty())
        return std::nullopt;
    for (SequenceFile& file : files) {
        source.numbers.push_back(file.number);
        source.files.push_back(std::move(file.path));
    }
    return source;
}

// The files of the folder of `base` named base + a number from 1 to `count`
// + extension as FrameFileName writes it, by number: a folder holds far fewer
// files than a forged header may claim frames.
std::vector<std::string> NumberedFilesUpTo(const std::string& base, const std::string& extension, int32_t count)
{
    const size_t slash = base.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : base.substr(0, slash + 1);
    const std::string stem = slash == std::string::npos ? base : base.substr(slash + 1);
    std::map<int32_t, std::string> found;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.size() <= stem.size() + extension.size() || !name.starts_with(stem) || !name.ends_with(extension))
            continue;
        const std::string digits = name.substr(stem.size(), name.size() - stem.size() - extension.size());
        const auto digit = [](char c) { return c >= '0' && c <= '9'; };
        if (digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), digit))
            continue;
        const int32_t number = std::stoi(digits);
        if (number >= 1 && number <= count && FrameFileName(stem, number, extension.c_str()) == name)
            found.emplace(number, FrameFileName(base, number, extension.c_str()));
    }
    std::vector<std::string> names;
    for (auto& [number, path] : found)
        names.push_back(std::move(path));
    return names;
}

}  // namespace

std::string ExistingOutputs::OutputOfFrame(int done) const
{
    if (extension.empty())
        return base;
    if (numbers.empty())
        return FrameFileName(base, done, extension.c_str());
    return FrameFileName(base, numbers[size_t(std::clamp<int>(done, 1, int(numbers.size())) - 1)], extension.c_str());
}

std::optional<ExistingOutputs> FindExistingOutputs(ConversionWay way, const std::string& chosenPath)
{
    const std::optional<Source> source = SourceOf(way, chosenPath);
    if (!source)
        return std::nullopt;
    const std::set<FileIdentity> sourceFiles = IdentitiesOf(source->files);
    ExistingOutputs found;
    found.base = OutputOf(way, chosenPath);
    if (!WritesFlm(way))
        found.extension = std::string(".") + TargetFormat(way).extension;
    found.numbers = source->numbers;
    found.firstOutput = found.OutputOfFrame(1);
    std::vector<std::string> names;
    if (found.extension.empty())
        names.push_back(found.base);
    else if (source->numbers.empty())
        names = NumberedFilesUpTo(found.base, found.extension, source->videoFrames);
    else
        for (int done = 1; done <= int(source->numbers.size()); ++done)
            names.push_back(found.OutputOfFrame(done));
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
