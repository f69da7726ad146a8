#pragma once
#include <cstdint>

// The exact 8x8 forward DCT in double precision, scaled as the decoder's inverse expects:
// coefficient 0 is eight times the block's mean.
namespace QXForwardDct {
void Transform(const std::uint8_t pixels[64], double coefficients[64]);
}
