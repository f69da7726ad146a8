#include "KWCpuFeatures.h"

#include <initializer_list>

namespace {
bool HaveAvx2() {
#ifdef KW_HAVE_X86
    static const bool have = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return have;
#else
    return false;
#endif
}
} // namespace

bool KWSimdLevelAvailable(KWSimdLevel level) {
    switch (level) {
    case KWSimdLevel::kPortable:
        return true;
    case KWSimdLevel::kSse2:
#ifdef __SSE2__
        return true;
#else
        return false;
#endif
    case KWSimdLevel::kAvx2:
        return HaveAvx2();
    }
    return false;
}

KWSimdLevel KWBestSimdLevel() {
    for (const KWSimdLevel level : {KWSimdLevel::kAvx2, KWSimdLevel::kSse2})
        if (KWSimdLevelAvailable(level))
            return level;
    return KWSimdLevel::kPortable;
}
