#include "subtitle/subtitle_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/regular_file.h"
#include "subtitle/ass_subtitles.h"
#include "subtitle/text_cues.h"

namespace plexo::subtitle {

namespace {

std::string LowerExtension(const std::string& path)
{
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

}  // namespace

bool IsSubtitleFileName(const std::string& path)
{
    const std::string ext = LowerExtension(path);
    return ext == ".srt" || ext == ".ass" || ext == ".ssa" || ext == ".vtt";
}

std::string FileLanguage(const std::string& filmPath, const std::string& subtitlePath)
{
    const std::string base = std::filesystem::path(filmPath).stem().string();
    const std::string stem = std::filesystem::path(subtitlePath).stem().string();
    if (stem.size() <= base.size() + 1 || stem.compare(0, base.size(), base) != 0 || stem[base.size()] != '.')
        return {};
    return stem.substr(base.size() + 1);
}

std::vector<std::string> SubtitleFilesBeside(const std::string& filmPath)
{
    const std::filesystem::path film(filmPath);
    const std::string base = film.stem().string();
    std::filesystem::path folder = film.parent_path();
    if (folder.empty())
        folder = ".";
    std::vector<std::string> found;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::filesystem::path& path = it->path();
        const std::string stem = path.stem().string();
        if (!IsSubtitleFileName(path.string()))
            continue;
        // NAME.EXT, or NAME.LANG.srt with one word for the language.
        const bool same = stem == base;
        const bool language = LowerExtension(path.string()) == ".srt" && stem.size() > base.size() + 1 &&
                              stem.compare(0, base.size(), base) == 0 && stem[base.size()] == '.' &&
                              stem.find('.', base.size() + 1) == std::string::npos;
        if (same || language)
            found.push_back((film.parent_path() / path.filename()).string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

SubtitleSourcePtr OpenSubtitleFile(const std::string& path, std::string& why)
{
    const platform::FileText file = platform::ReadRegularFile(path, kMaxSubtitleFileBytes);
    if (!file.read()) {
        why = file.result == platform::FileText::Result::TooLarge ? "larger than 16 MB" : file.reason();
        return nullptr;
    }
    const std::string ext = LowerExtension(path);
    if (ext == ".ass" || ext == ".ssa")
        return AssScriptSubtitles(file.text, {}, why);
    if (ext != ".srt" && ext != ".vtt") {
        why = "not a subtitle file";
        return nullptr;
    }
    std::vector<TextEvent> events = ReadCues(file.text, ext == ".vtt" ? CueFormat::WebVtt : CueFormat::SubRip);
    for (size_t i = 0; i < events.size(); ++i)
        events[i].text = DefaultStyleLine(int(i), events[i].text);
    if (events.empty()) {
        why = "no subtitle in it";
        return nullptr;
    }
    return AssEventSubtitles(DefaultAssHeader(), events, {}, why);
}

}  // namespace plexo::subtitle
