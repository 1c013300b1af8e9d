#include "ledger/shell/ClockPanel/Wave.h"

#include <cmath>

namespace nv {

Wave::Wave(int height) : base1_(float(height) / 4.0f), base2_(int16_t(std::nearbyint(double(height) * 3.0 / 4.0)))
{
    for (int i = 0; i < kCount; ++i) {
        double x1 = kScale * (40.0 * i / 160.0);
        p_[size_t(i)] = {x1, base1_, x1 + kRowOffset, double(base2_)};
    }
}

void Wave::Step()
{
    t_ += double(kPhaseStep);
    for (int i = kCount - 1; i >= 1; --i) w_[size_t(i)] = w_[size_t(i - 1)];
    for (int i = 0; i < kCount - 1; ++i) k_[size_t(i)] = k_[size_t(i + 1)];
    double s = std::sin(t_ * (double(kFrequency) * (kPi * 2)));
    w_[0] = kAmplitude * s;
    // Rounds half to even, as the default rounding mode does.
    k_[kCount - 1] = int16_t(std::nearbyint(kAmplitude * s));
    for (int i = 0; i < kCount; ++i) {
        double d = w_[size_t(i)] + k_[size_t(i)];
        p_[size_t(i)].y1 = base1_ - d;
        p_[size_t(i)].y2 = base2_ - d;
    }
}

} // namespace nv
