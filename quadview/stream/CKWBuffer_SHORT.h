#pragma once
#include "CKWBuffer_BYTE.h"

// The 16-bit twin of CKWBuffer_BYTE, for sound samples.
using CKWBuffer_SHORT = CKWBuffer<std::int16_t>;
