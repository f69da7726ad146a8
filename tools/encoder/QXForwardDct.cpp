#include "QXForwardDct.h"

#include <cmath>
#include <numbers>

namespace QXForwardDct {
namespace {

// basis[k][n] = c(k) / 2 x cos((2n + 1) k pi / 16), c(0) = 1 / sqrt(2), else 1.
struct Basis {
    double value[8][8];
    Basis() {
        for (int k = 0; k < 8; ++k)
            for (int n = 0; n < 8; ++n)
                value[k][n] = (k == 0 ? std::numbers::sqrt2 / 2 : 1.0) / 2 *
                              std::cos((2 * n + 1) * k * std::numbers::pi / 16);
    }
};
const Basis kBasis;

} // namespace

void Transform(const std::uint8_t pixels[64], double coefficients[64]) {
    double rows[64];
    for (int y = 0; y < 8; ++y)
        for (int k = 0; k < 8; ++k) {
            double sum = 0;
            for (int x = 0; x < 8; ++x)
                sum += kBasis.value[k][x] * pixels[y * 8 + x];
            rows[y * 8 + k] = sum;
        }
    for (int k = 0; k < 8; ++k)
        for (int l = 0; l < 8; ++l) {
            double sum = 0;
            for (int y = 0; y < 8; ++y)
                sum += kBasis.value[l][y] * rows[y * 8 + k];
            coefficients[l * 8 + k] = sum;
        }
}

} // namespace QXForwardDct
