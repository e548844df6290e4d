// The copy that bypasses the caches, at every width around its vector step
// and every alignment of its destination.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "image/copy_past_caches.h"

namespace plexo {
namespace {

TEST(CopyPastCaches, CopiesEveryRowWhateverItsAlignment)
{
    constexpr int kHeight = 4;
    for (int width = 1; width <= 40; ++width)
        for (int offset = 0; offset < 16; offset += 5)
            for (const auto& [first, end] : {std::pair{0, 0}, std::pair{1, 3}, std::pair{0, kHeight}}) {
                // A top-down source with padding at the end of each row.
                const ptrdiff_t pitch = width * 3 + 5;
                std::vector<uint8_t> source(size_t(pitch) * kHeight);
                for (size_t i = 0; i < source.size(); ++i)
                    source[i] = uint8_t(i * 31 + 7);
                const Picture from = Picture::TopDown(source.data(), width, kHeight, 3, pitch);
                std::vector<uint8_t> expected;
                for (int r = 0; r < kHeight; ++r)
                    expected.insert(expected.end(), from.row(r), from.row(r) + from.rowBytes());
                std::vector<uint8_t> to(from.byteCount() + 48, 0xAB);
                uint8_t* at = to.data() + (16 - reinterpret_cast<uintptr_t>(to.data()) % 16) + offset;
                CopyPastCaches(from, at, first, end);
                EXPECT_EQ(std::vector(at, at + from.byteCount()), expected) << width << " " << offset;
                EXPECT_EQ(at[from.byteCount()], 0xAB) << "nothing stored past the copy";
            }
}

}  // namespace
}  // namespace plexo
