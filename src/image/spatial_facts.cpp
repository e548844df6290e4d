#include "image/spatial_facts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace plexo {

namespace {

constexpr const char* kAppleNamespaces = "http://ns.apple.com/";
constexpr const char* kSpatialNamespace = "http://ns.apple.com/spatialphoto/1.0/";

std::string Trimmed(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    std::string s = text;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.')
        s.pop_back();
    return s;
}

// The prefixes the packet binds to Apple's namespaces.
std::vector<std::string> ApplePrefixes(const std::string& xmp)
{
    std::vector<std::string> prefixes;
    for (size_t at = xmp.find("xmlns:"); at != std::string::npos; at = xmp.find("xmlns:", at + 6)) {
        const size_t equals = xmp.find('=', at);
        if (equals == std::string::npos || equals + 2 >= xmp.size())
            break;
        const char quote = xmp[equals + 1];
        if (quote != '"' && quote != '\'')
            continue;
        if (xmp.compare(equals + 2, std::char_traits<char>::length(kAppleNamespaces), kAppleNamespaces) == 0)
            prefixes.push_back(xmp.substr(at + 6, equals - at - 6));
    }
    return prefixes;
}

std::optional<double> NumberAt(const std::string& xmp, size_t at)
{
    while (at < xmp.size() && (xmp[at] == ' ' || xmp[at] == '\n' || xmp[at] == '\r' || xmp[at] == '\t'))
        ++at;
    if (at < xmp.size() && xmp[at] == '+')
        ++at;
    double value = 0;
    const auto [end, error] = std::from_chars(xmp.data() + at, xmp.data() + xmp.size(), value);
    if (error != std::errc() || end == xmp.data() + at || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// The value of PREFIX:NAME for any of the prefixes, as an attribute
// (PREFIX:NAME="v") or an element (<PREFIX:NAME>v<).
std::optional<double> Value(const std::string& xmp, const std::vector<std::string>& prefixes,
                            std::initializer_list<const char*> names)
{
    for (const std::string& prefix : prefixes)
        for (const char* name : names) {
            const std::string key = prefix + ":" + name;
            for (size_t at = xmp.find(key); at != std::string::npos; at = xmp.find(key, at + 1)) {
                size_t after = at + key.size();
                // Not the start of a longer name.
                if (at > 0 && xmp[at - 1] != ' ' && xmp[at - 1] != '<' && xmp[at - 1] != '\n' &&
                    xmp[at - 1] != '\t' && xmp[at - 1] != '\r')
                    continue;
                if (after + 1 < xmp.size() && xmp[after] == '=' && (xmp[after + 1] == '"' || xmp[after + 1] == '\''))
                    return NumberAt(xmp, after + 2);
                if (after < xmp.size() && xmp[after] == '>' && xmp[at - 1] == '<')
                    return NumberAt(xmp, after + 1);
            }
        }
    return std::nullopt;
}

}  // namespace

std::vector<std::string> SpatialLines(const SpatialFacts& facts)
{
    std::vector<std::string> lines;
    if (!facts.eyes.empty())
        lines.push_back("spatial eyes: " + facts.eyes);
    if (!facts.heroEye.empty())
        lines.push_back("hero eye: " + facts.heroEye);
    if (facts.baselineMm)
        lines.push_back("baseline: " + Trimmed(*facts.baselineMm) + " mm");
    if (!facts.projection.empty())
        lines.push_back("projection: " + facts.projection);
    if (facts.fieldOfViewDegrees)
        lines.push_back("field of view: " + Trimmed(*facts.fieldOfViewDegrees) + " degrees");
    if (facts.disparityAdjustment)
        lines.push_back("disparity adjustment: " + std::to_string(*facts.disparityAdjustment) + " (" +
                        Trimmed(*facts.disparityAdjustment / 100.0) + "% of the eye's width)");
    if (!facts.missingEye.empty())
        lines.push_back("note: " + facts.missingEye);
    return lines;
}

int32_t DistOfAdjustment(int32_t adjustment, int eyeWidth)
{
    const int32_t held = std::clamp(adjustment, -kMaxDisparityAdjustment, kMaxDisparityAdjustment);
    return int32_t(std::lround(double(held) * std::max(eyeWidth, 0) / kMaxDisparityAdjustment));
}

int32_t AdjustmentOfDist(int32_t dist, int eyeWidth)
{
    if (eyeWidth <= 0)
        return 0;
    const double adjustment = std::round(double(dist) * kMaxDisparityAdjustment / eyeWidth);
    return int32_t(std::clamp(adjustment, double(-kMaxDisparityAdjustment), double(kMaxDisparityAdjustment)));
}

SpatialFacts SpatialFactsOfXmp(const std::string& xmp)
{
    SpatialFacts facts;
    const std::vector<std::string> prefixes = ApplePrefixes(xmp);
    if (prefixes.empty())
        return facts;
    if (const auto baseline = Value(xmp, prefixes, {"StereoCameraBaseline", "Baseline"}); baseline && *baseline > 0)
        facts.baselineMm = *baseline;
    if (const auto fov = Value(xmp, prefixes, {"HorizontalFieldOfView", "HorizontalFOV"});
        fov && *fov > 0 && *fov < 360)
        facts.fieldOfViewDegrees = *fov;
    if (const auto adjustment = Value(xmp, prefixes, {"HorizontalDisparityAdjustment", "DisparityAdjustment"}))
        facts.disparityAdjustment = int32_t(
            std::clamp(std::round(*adjustment), double(-kMaxDisparityAdjustment), double(kMaxDisparityAdjustment)));
    return facts;
}

std::string SpatialXmp(const SpatialFacts& facts)
{
    std::string fields;
    if (facts.baselineMm)
        fields += "\n   spatial:StereoCameraBaseline=\"" + Trimmed(*facts.baselineMm) + "\"";
    if (facts.fieldOfViewDegrees)
        fields += "\n   spatial:HorizontalFieldOfView=\"" + Trimmed(*facts.fieldOfViewDegrees) + "\"";
    fields += "\n   spatial:HorizontalDisparityAdjustment=\"" + std::to_string(facts.disparityAdjustment.value_or(0)) +
              "\"";
    return std::string("<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
                       "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
                       " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
                       "  <rdf:Description rdf:about=\"\"\n"
                       "   xmlns:spatial=\"") +
           kSpatialNamespace + "\"" + fields +
           "/>\n"
           " </rdf:RDF>\n"
           "</x:xmpmeta>\n"
           "<?xpacket end=\"w\"?>";
}

void MergeSpatialFacts(SpatialFacts& into, const SpatialFacts& from)
{
    if (!into.baselineMm)
        into.baselineMm = from.baselineMm;
    if (!into.fieldOfViewDegrees)
        into.fieldOfViewDegrees = from.fieldOfViewDegrees;
    if (!into.disparityAdjustment)
        into.disparityAdjustment = from.disparityAdjustment;
}

}  // namespace plexo
