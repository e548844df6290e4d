#pragma once
// The points two eyes have in common: features found in each eye's reduced
// grey picture and paired by the ratio test.

#include <vector>

#include "image/picture.h"

namespace plexo::align {

// The feature detectors measured (bench/align_bench.cpp); ORB is the one
// alignment uses: as accurate as the others once hundreds of matches are
// fitted, and many times faster.
enum class Detector { Orb, Akaze, Sift };

struct MatchOptions {
    Detector detector = Detector::Orb;
    // The reduced picture's longer side at least: the picture is halved as
    // often as keeps it so; one less than twice as long is used as it is.
    // A 12-megapixel still is matched whole: ORB places its corners on
    // whole pixels of the picture it works on, and on one halved that
    // rounding alone left a median of 0.6 px of vertical disparity.
    int workSide = 3000;
    int maxFeatures = 3000;
    // ORB's pyramid: the eyes differ in size by a few per cent at most, so
    // few levels find the same points, placed more precisely, sooner.
    int levels = 2;
    // The contrast, in grey levels, that makes a corner for ORB: the fewer
    // corners it finds, the sooner it has ranked them.
    int cornerContrast = 20;
    // A match is kept when its distance is below this share of the second
    // best's (Lowe's ratio test).
    double ratio = 0.8;
};

// One point seen by both eyes, in each eye's full-size picture coordinates
// (x right, y down, origin at the picture's centre).
struct Match {
    double x1, y1, x2, y2;
};

struct Matches {
    std::vector<Match> points;
    // Full-size pixels per reduced pixel: the matches' uncertainty scales by it.
    double reduction = 1;
};

// Both pictures grey or colour, of any stride; empty when either is missing.
Matches MatchFeatures(const Picture& first, const Picture& second, const MatchOptions& options);

}  // namespace plexo::align
