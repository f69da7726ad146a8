#include "KWSimdKernels.h"

#include <gtest/gtest.h>

namespace {
struct Kernels {
    int id;
};
constexpr Kernels kPortable{0};
constexpr Kernels kSse2{1};
constexpr Kernels kAvx2{2};
} // namespace

TEST(KWSimdKernels, StartsWithTheBestLevelAndSelectsAvailableOnes) {
    KWSimdKernels<Kernels> kernels({&kPortable, &kSse2, &kAvx2});
    EXPECT_EQ(kernels.Current().id, static_cast<int>(KWBestSimdLevel()));
    EXPECT_TRUE(kernels.Select(KWSimdLevel::kPortable));
    EXPECT_EQ(kernels.Current().id, 0);
    for (const KWSimdLevel level : {KWSimdLevel::kSse2, KWSimdLevel::kAvx2}) {
        const bool available = KWSimdLevelAvailable(level);
        EXPECT_EQ(kernels.Select(level), available);
        // A level the processor lacks leaves the kernels in use as they were.
        EXPECT_EQ(kernels.Current().id, available ? static_cast<int>(level) : 0);
        kernels.Select(KWSimdLevel::kPortable);
    }
}

TEST(KWSimdKernels, ALevelWithoutKernelsOfItsOwnUsesTheNextLowerOnes) {
    const KWSimdKernels<Kernels> portableOnly({&kPortable, nullptr, nullptr});
    EXPECT_EQ(portableOnly.Current().id, 0);
    KWSimdKernels<Kernels> noSse2({&kPortable, nullptr, &kAvx2});
    const struct {
        KWSimdLevel level;
        int id;
    } expected[] = {{KWSimdLevel::kSse2, 0}, {KWSimdLevel::kAvx2, 2}};
    for (const auto& [level, id] : expected) {
        if (!KWSimdLevelAvailable(level))
            continue;
        ASSERT_TRUE(noSse2.Select(level));
        EXPECT_EQ(noSse2.Current().id, id);
    }
}
