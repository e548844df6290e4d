#include "film/numbered_sequence.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/message_sink.h"

namespace plexo {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Lower(x) == Lower(y);
           });
}

}  // namespace

std::optional<std::vector<SequenceFile>> GatherSequence(const std::string& chosenFile, const std::string& extension)
{
    const std::string_view chosen = chosenFile;
    const std::string_view last8 = chosen.substr(chosen.size() > 8 ? chosen.size() - 8 : 0);
    const std::string_view first4 = last8.substr(0, 4);
    size_t digits = 0;
    while (digits < first4.size() && IsDigit(first4[first4.size() - 1 - digits]))
        ++digits;
    if (digits == 0) {
        platform::ShowMessage("Filename is incompatible");
        return std::nullopt;
    }
    const size_t cut = digits + 4;
    const std::string_view prefix = chosen.substr(0, chosen.size() > cut ? chosen.size() - cut : 0);

    // The folder is whatever the prefix holds up to its last separator; the
    // rest of the prefix starts every sibling's name.
    const size_t slash = prefix.rfind('/');
    const std::string_view folderPart = slash == std::string_view::npos ? "" : prefix.substr(0, slash + 1);
    const std::string_view stem = prefix.substr(folderPart.size());
    const std::filesystem::path folder = folderPart.empty() ? std::filesystem::path(".") : folderPart;
    const size_t nameLength = stem.size() + digits + extension.size();
    const std::string chosenName(chosen.substr(folderPart.size()));

    struct Found {
        SequenceFile file;
        std::string name;
    };
    std::vector<Found> found;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != nameLength || !SameIgnoringCase(std::string_view(name).substr(0, stem.size()), stem) ||
            !SameIgnoringCase(std::string_view(name).substr(nameLength - extension.size()), extension))
            continue;
        const std::string_view run = std::string_view(name).substr(stem.size(), digits);
        if (!std::all_of(run.begin(), run.end(), IsDigit))
            continue;
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        int32_t number = 0;
        for (char c : run)
            number = number * 10 + (c - '0');
        found.push_back({{number, std::string(folderPart) + name}, name});
    }

    // The chosen file first among equal numbers, then the rest by name, so
    // that the pick does not depend on the order of the folder.
    std::sort(found.begin(), found.end(), [&](const Found& a, const Found& b) {
        if (a.file.number != b.file.number)
            return a.file.number < b.file.number;
        const bool aChosen = a.name == chosenName, bChosen = b.name == chosenName;
        if (aChosen != bChosen)
            return aChosen;
        return a.name < b.name;
    });
    std::vector<SequenceFile> files;
    files.reserve(found.size());
    for (auto& f : found)
        if (files.empty() || files.back().number != f.file.number)
            files.push_back(std::move(f.file));
    return files;
}

}  // namespace plexo
