// The stretching blit at each instruction-set level, at the viewer's typical sizes: a 320x112
// channel picture doubled to 640x224, from RGB32 and from YV12, into RGB32.
#include "KWPixelBuffer.h"
#include "KWScopedSimdLevel.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

// Arguments: the source layout (KWPixelLayout) and the level (KWSimdLevel).
void StretchBlitDoubling(benchmark::State& state) {
    const KWScopedSimdLevel level(KWSelectBlitKernels, static_cast<KWSimdLevel>(state.range(1)));
    if (!level.Selected()) {
        state.SkipWithError("this processor lacks the level");
        return;
    }
    KWPixelBuffer source, target;
    if (!source.Allocate(static_cast<KWPixelLayout>(state.range(0)), 320, 112) ||
        !target.Allocate(KWPixelLayout::kRGB32, 640, 224)) {
        state.SkipWithError("no memory");
        return;
    }
    std::mt19937 random(3);
    for (std::size_t i = 0; i < source.GetByteSize(); ++i)
        source.GetBits()[i] = static_cast<std::uint8_t>(random());
    for (auto _ : state) {
        KWStretchBlit(target, target.GetBounds(), target.GetBounds(), source, source.GetBounds());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(StretchBlitDoubling)
    ->ArgNames({"layout", "level"})
    ->ArgsProduct({{static_cast<int>(KWPixelLayout::kRGB32),
                    static_cast<int>(KWPixelLayout::kYV12)},
                   {0, 1, 2}});

BENCHMARK_MAIN();
