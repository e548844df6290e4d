#pragma once
// Alignment of one pair: the model fitted to the eyes' common points, how
// well it fits, and where the window puts the scene.

#include <optional>
#include <string>

#include "align/align_model.h"
#include "align/feature_matches.h"
#include "image/picture.h"

namespace plexo::align {

// Below this many matches consistent with one model a pair is not aligned.
inline constexpr int kMinMatches = 12;

struct Alignment {
    AlignModel model;
    // The vertical disparity left after the correction, over the inliers:
    // median and 90th percentile of its size, in pixels.
    double medianResidual = 0;
    double p90Residual = 0;
    // The median size of the inliers' vertical disparity as the pair stands.
    double medianBefore = 0;
    int inliers = 0;
    // The horizontal disparity after the correction (second eye's x minus
    // first's) of the nearest 2 % of the inliers, in pixels.
    double nearDisparity = 0;
};

struct AlignResult {
    std::optional<Alignment> alignment;
    // The matches the fit had, or its inliers when too few of them agreed.
    int matches = 0;
};

// "could not align: N matches"
std::string CouldNotAlignMessage(int matches);

// The robust fit over matches already found (`halfHeight`: half the full
// picture's height, the keystone's unit). Deterministic: the same matches
// give the same model.
AlignResult FitAlignment(const Matches& matches, double halfHeight);

// Finds the matches and fits them.
AlignResult EstimateAlignment(const Picture& first, const Picture& second, const MatchOptions& options = {});

// The displacement D that puts the nearest 2 % of the scene at the screen
// plane, so that nothing comes out through the window's edge: the viewer
// moves the first eye by trunc(D/2) − D columns and the second by D.
int WindowDist(const Alignment& alignment);

}  // namespace plexo::align
