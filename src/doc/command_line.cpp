#include "doc/command_line.h"

#include <cstdlib>
#include <filesystem>

namespace plexo {

namespace {

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

// As the Settings dialog allows: an hour.
constexpr long kMaxCommandSlideSeconds = 3600;

bool LooksLikeFlag(const std::string& parameter)
{
    if (parameter.empty())
        return false;
    if (parameter[0] == '-')
        return true;
    if (parameter[0] != '/' || parameter.size() == 1)
        return parameter[0] == '/';
    // Here an absolute path begins with "/" too. It is a path when it has a
    // further "/" ahead of any "=" ("/second=/films/b.flm" stays a flag), or
    // when it names something that exists ("/film.flm").
    const size_t slash = parameter.find('/', 1);
    if (slash != std::string::npos && slash < parameter.find('='))
        return false;
    std::error_code error;
    return !std::filesystem::exists(parameter, error);
}

}  // namespace

void CPlexoCmdInfo::ParseParameter(const std::string& parameter)
{
    if (LooksLikeFlag(parameter)) {
        if (ParseFlag(parameter.substr(1)))
            return;
        // "/film.mkv" that names nothing is a film that is not there, not a
        // flag: a flag has no extension.
        const size_t dot = parameter.rfind('.');
        if (parameter[0] == '/' && dot != std::string::npos && dot > 1 && parameter.find('=') == std::string::npos)
            notices.push_back("no file named '" + parameter + "'");
        else
            notices.push_back("unknown flag '" + parameter + "' ignored (see plexo --help)");
        return;
    }
    if (fileName.empty())
        fileName = parameter;
    fileNames.push_back(parameter);
}

bool CPlexoCmdInfo::ParseFlag(const std::string& flag)
{
    if (flag == "play") {
        options.play = true;
    } else if (flag == "stereo") {
        options.stereo = true;
    } else if (flag == "invert") {
        options.invert = true;
    } else if (flag == "round") {
        options.round = true;
    } else if (flag == "slideshow" || flag == "-slideshow") {
        options.slideshow = true;
    } else if (StartsWith(flag, "slideshow=") || StartsWith(flag, "-slideshow=")) {
        options.slideshow = true;
        const std::string seconds = flag.substr(flag.find('=') + 1);
        char* end = nullptr;
        const long value = std::strtol(seconds.c_str(), &end, 10);
        if (!seconds.empty() && *end == '\0' && value >= 1 && value <= kMaxCommandSlideSeconds)
            options.slideSeconds = int32_t(value);
        else
            notices.push_back("slideshow time '" + seconds + "' is no whole number of seconds from 1 to 3600; the Settings time is used");
    } else if (StartsWith(flag, "A=")) {
        // Read like "%d": leading blanks and a sign are accepted, trailing
        // text is ignored, and no number leaves the shift alone. strtol
        // rather than sscanf so that a huge number is simply out of range
        // instead of undefined.
        const char* digits = flag.c_str() + 2;
        char* end = nullptr;
        const long shift = std::strtol(digits, &end, 10);
        if (end != digits)
            options.shift = (shift > 100 || shift < -100) ? 4 : int(shift);
        else if (options.shift > 100 || options.shift < -100)
            options.shift = 4;
        if (end != digits && options.shift != shift)
            notices.push_back(flag.substr(0, size_t(end - flag.c_str())) + " is outside -100..100; the partner offset is 4");
    } else if (StartsWith(flag, "second=")) {
        options.secondFilm = flag.substr(7);
    } else if (StartsWith(flag, "side=")) {
        if (flag.size() > 5) {
            switch (flag[5]) {
            case 'b': options.side = 1; break;
            case 'l': options.side = 2; break;
            case 'r': options.side = 0; break;
            case 't': options.side = 3; break;
            default: break;
            }
        }
    } else {
        // One of the framework's own flags (printing, registration,
        // automation), none of which exists here: ignored, but named.
        return false;
    }
    return true;
}

std::string InformationRequested(const std::vector<std::string>& parameters)
{
    for (const std::string& parameter : parameters) {
        if (parameter == "--version")
            return "plexo " PLEXO_VERSION "\n";
        if (parameter == "--help" || parameter == "-h")
            return "Usage: plexo [FILM...|LIST.m3u|FOLDER] [/play] [/stereo] [/invert] [/round] [/A=N] [/second=FILM2] [/side=r|b|l|t] [--slideshow[=SECONDS]]\n"
                   "\n"
                   "Views a stereo film. FILM is any film: one file of a numbered BMP or JPEG run,\n"
                   "a .flm file, an MPO or JPS photo, or a video (MP4, MOV, Matroska, WebM, AVI);\n"
                   "a name of any other extension is read as a .flm file. Several films, an .m3u or\n"
                   "an .m3u8 playlist, or a folder open as a list (Page Down and Page Up move in it).\n"
                   "Flags start with / or - and are case-sensitive:\n"
                   "  play         start playing\n"
                   "  stereo       switch the stereo presentation on\n"
                   "  invert       exchange the stepping directions\n"
                   "  round        loop at the film's ends\n"
                   "  A=N          partner offset, -100..100 (else 4)\n"
                   "  second=FILM2 pair a second film\n"
                   "  side=r|b|l|t where the second film goes\n"
                   "  --slideshow[=SECONDS]  show the list or folder as a slideshow, each picture\n"
                   "               SECONDS (1..3600, else the Settings time)\n"
                   "  --help       show this text\n"
                   "  --version    show the version\n"
                   "\n"
                   "Settings are kept in $XDG_CONFIG_HOME/plexo/duvix.ini (~/.config/plexo/duvix.ini).\n";
    }
    return {};
}

CPlexoCmdInfo ParseCommandLine(const std::vector<std::string>& parameters)
{
    CPlexoCmdInfo info;
    for (const std::string& parameter : parameters)
        info.ParseParameter(parameter);
    return info;
}

}  // namespace plexo
