#pragma once

// What the processor offers beyond what the program was built for. Code built for a richer
// instruction set runs only after the matching check said yes.
bool KWHaveAvx2();

#if defined(__x86_64__) || defined(__i386__)
#define KW_HAVE_X86 1
// Functions built for processors with AVX2; they run only after KWHaveAvx2() said yes.
#define KW_AVX2 __attribute__((target("avx2")))
// Helpers of those functions, kept inside them so that the vectors stay in registers.
#define KW_AVX2_INLINE __attribute__((target("avx2"), always_inline))
#endif
