#include "film/numbered_sequence.h"

#include <dirent.h>

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

// The digits of a numbered name: the run that ends 4 characters before the
// end.
size_t SequenceDigits(std::string_view chosen)
{
    const std::string_view last8 = chosen.substr(chosen.size() > 8 ? chosen.size() - 8 : 0);
    const std::string_view first4 = last8.substr(0, 4);
    size_t digits = 0;
    while (digits < first4.size() && IsDigit(first4[first4.size() - 1 - digits]))
        ++digits;
    return digits;
}

}  // namespace

std::string SequenceKey(std::string_view name)
{
    const size_t digits = SequenceDigits(name);
    if (digits == 0)
        return {};
    std::string key(name.substr(0, name.size() - digits - 4));
    key += '#' + std::to_string(digits);
    key += name.substr(name.size() - 4);
    std::transform(key.begin(), key.end(), key.begin(), Lower);
    return key;
}

std::vector<SequenceFile> GatherRunOrFile(const std::string& chosenFile, const std::string& extension)
{
    if (SequenceDigits(chosenFile) > 0)
        return GatherSequence(chosenFile, extension).value_or(std::vector<SequenceFile>{});
    return FileAlone(chosenFile);
}

std::vector<SequenceFile> FileAlone(const std::string& chosenFile)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(chosenFile, error))
        return {};
    return {{1, chosenFile}};
}

std::optional<std::vector<SequenceFile>> GatherSequence(const std::string& chosenFile, const std::string& extension)
{
    const std::string_view chosen = chosenFile;
    const size_t digits = SequenceDigits(chosen);
    if (digits == 0) {
        platform::ShowMessage("Filename is incompatible: " + chosenFile);
        return std::nullopt;
    }
    const size_t cut = digits + 4;
    const std::string_view prefix = chosen.substr(0, chosen.size() > cut ? chosen.size() - cut : 0);

    // The folder is whatever the prefix holds up to its last separator; the
    // rest of the prefix starts every sibling's name.
    const size_t slash = prefix.rfind('/');
    const std::string_view folderPart = slash == std::string_view::npos ? "" : prefix.substr(0, slash + 1);
    const std::string_view stem = prefix.substr(folderPart.size());
    const std::string folder = folderPart.empty() ? std::string(".") : std::string(folderPart);
    const size_t nameLength = stem.size() + digits + extension.size();
    const std::string chosenName(chosen.substr(folderPart.size()));

    // One pass over the folder's entries; only a sibling whose type the
    // folder does not tell (or a link) costs a look at the file itself.
    struct Found {
        int32_t number;
        std::string name;
    };
    std::vector<Found> found;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name.size() != nameLength || !SameIgnoringCase(name.substr(0, stem.size()), stem) ||
                !SameIgnoringCase(name.substr(nameLength - extension.size()), extension))
                continue;
            const std::string_view run = name.substr(stem.size(), digits);
            if (!std::all_of(run.begin(), run.end(), IsDigit))
                continue;
            if (entry->d_type != DT_REG) {
                std::error_code typeError;
                if ((entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK) ||
                    !std::filesystem::is_regular_file(std::filesystem::path(folder) / name, typeError))
                    continue;
            }
            int32_t number = 0;
            for (char c : run)
                number = number * 10 + (c - '0');
            found.push_back({number, std::string(name)});
        }
        closedir(dir);
    }

    // The chosen file first among equal numbers, then the rest by name, so
    // that the pick does not depend on the order of the folder.
    std::sort(found.begin(), found.end(), [&](const Found& a, const Found& b) {
        if (a.number != b.number)
            return a.number < b.number;
        const bool aChosen = a.name == chosenName, bChosen = b.name == chosenName;
        if (aChosen != bChosen)
            return aChosen;
        return a.name < b.name;
    });
    std::vector<SequenceFile> files;
    files.reserve(found.size());
    for (const Found& f : found)
        if (files.empty() || files.back().number != f.number)
            files.push_back({f.number, std::string(folderPart) + f.name});
    return files;
}

}  // namespace plexo
