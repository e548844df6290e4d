#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

#include "film/grey_pixels.h"

namespace plexo {
namespace {

// The vectorised grey against the pixel-at-a-time one on noise and on the
// extremes of the sum (all 0, all 255), for every count around the vector
// width, from an odd address so that no load is aligned.
TEST(GreyPixels, VectorisedGreyMatchesTheReferenceToTheByte)
{
    std::mt19937 random(5);
    for (const int fill : {-1, 0, 255})
        for (size_t pixels = 0; pixels <= 100; ++pixels) {
            std::vector<uint8_t> colour(pixels * 3 + 1);
            if (fill < 0)
                std::generate(colour.begin(), colour.end(), std::ref(random));
            else
                std::fill(colour.begin(), colour.end(), uint8_t(fill));
            std::vector<uint8_t> fast(pixels + 1, 7), reference(pixels + 1, 7);
            ColourToGrey(colour.data() + 1, fast.data(), pixels);
            ColourToGreyReference(colour.data() + 1, reference.data(), pixels);
            ASSERT_EQ(fast, reference) << pixels << " pixels, fill " << fill;
        }
}

}  // namespace
}  // namespace plexo
