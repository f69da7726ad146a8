#pragma once
#include <cstdint>

// The instruction sets the vector code is written for, each needing more of the processor than
// the one before. Code of a level runs only where KWSimdLevelAvailable says yes.
enum class KWSimdLevel : std::uint8_t { kPortable, kSse2, kAvx2 };
constexpr int kKWSimdLevelCount = 3;

// True when this build holds code for `level` and the processor runs it. The portable level is
// always available.
bool KWSimdLevelAvailable(KWSimdLevel level);
// The highest available level.
KWSimdLevel KWBestSimdLevel();

#if defined(__x86_64__) || defined(__i386__)
#define KW_HAVE_X86 1
// Functions built for processors with AVX2; they run only where that level is available.
#define KW_AVX2 __attribute__((target("avx2")))
// Helpers of those functions, kept inside them so that the vectors stay in registers.
#define KW_AVX2_INLINE __attribute__((target("avx2"), always_inline))
#endif

// `kernels` where this build holds code of the level, null elsewhere: entries of the per-level
// tables of KWSimdKernels.
#ifdef __SSE2__
#define KW_SSE2_KERNELS(kernels) (kernels)
#else
#define KW_SSE2_KERNELS(kernels) nullptr
#endif
#ifdef KW_HAVE_X86
#define KW_AVX2_KERNELS(kernels) (kernels)
#else
#define KW_AVX2_KERNELS(kernels) nullptr
#endif
