#include "KWCpuFeatures.h"

bool KWHaveAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool have = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return have;
#else
    return false;
#endif
}
