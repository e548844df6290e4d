#pragma once
// HEIC files for the tests: eyes encoded by libheif's heif-enc program, and
// the boxes heif-enc cannot write (a `ster` group, a rotation) added by hand
// here, apart from the code under test.

#include <cstdint>
#include <string>
#include <vector>

#include "image/picture.h"
#include "support/temp_dir.h"

namespace plexo::test {

// heif-enc's file of the JPEG streams, each a top-level picture (the first
// primary), and the pictures' item ids in their order as heif-info lists
// them; empty when heif-enc fails.
struct HeifFile {
    std::vector<uint8_t> bytes;
    std::vector<uint32_t> pictures;
};
HeifFile HeifEncoded(const TempDir& dir, const std::vector<std::vector<uint8_t>>& jpegs);

// `file` with a `grpl` box holding a `ster` group of the two items at the end
// of its `meta` box.
std::vector<uint8_t> WithSterGroup(std::vector<uint8_t> file, uint32_t left, uint32_t right);
// `file` with an `irot` property of `quarters` anticlockwise turns, tied to
// item `item`.
std::vector<uint8_t> WithRotation(std::vector<uint8_t> file, uint32_t item, int quarters);

// The mean difference a channel of two colour pictures; 255 when either is
// missing or their sizes differ.
double MeanLevelDifference(const Picture& a, const Picture& b);

}  // namespace plexo::test
