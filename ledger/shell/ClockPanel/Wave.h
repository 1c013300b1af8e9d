#pragma once
// The moving strip of dots at the clock's foot: two rows, each showing the
// sum of a wave running right (W) and one running left (K).
#include <array>
#include <cstddef>
#include <cstdint>

namespace nv {

class Wave {
public:
    static constexpr int kCount = 81;
    static constexpr float kPhaseStep = 1.0f / 400.0f;
    static constexpr float kFrequency = 20.0f;
    static constexpr double kPi = 3.14159263;
    static constexpr int kAmplitude = 3;
    static constexpr int kScale = 10;
    static constexpr int kRowOffset = 150;
    static constexpr int kRadius = 3;

    struct Dot {
        double x1, y1, x2, y2;
    };

    // Set-up for a strip of the given height in pixels.
    explicit Wave(int height);
    void Step();

    double W(int i) const { return w_[size_t(i)]; }
    int16_t K(int i) const { return k_[size_t(i)]; }
    const Dot& DotAt(int i) const { return p_[size_t(i)]; }
    float Baseline1() const { return base1_; }
    int16_t Baseline2() const { return base2_; }

private:
    double t_ = 0;
    float base1_;
    int16_t base2_;
    std::array<double, kCount> w_{};
    std::array<int16_t, kCount> k_{};
    std::array<Dot, kCount> p_{};
};

} // namespace nv
