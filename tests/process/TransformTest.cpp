// The transforms against their definitions, summed directly in double precision.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "process/ComplexFft.h"
#include "process/SineTransform.h"

using namespace Process;

class SineTransformSize : public ::testing::TestWithParam<int> {};

TEST_P(SineTransformSize, MatchesTheDirectSum) {
    const int m = GetParam();
    std::mt19937 random(m);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::vector<float> x(m), X(m), scratch(CSineTransform::scratchSize(m));
    for (float& v : x)
        v = uniform(random);
    x[0] = 123.0f; // not part of the transform

    CSineTransform(m).apply(x.data(), X.data(), scratch.data());

    double worst = 0.0, largest = 0.0;
    for (int q = 0; q < m; ++q) {
        double sum = 0.0;
        for (int i = 1; i < m; ++i)
            sum += x[i] * std::sin(std::numbers::pi * static_cast<double>(i) * q / m);
        worst = std::max(worst, std::fabs(sum - X[q]));
        largest = std::max(largest, std::fabs(sum));
    }
    EXPECT_EQ(X[0], 0.0f);
    EXPECT_LT(worst, 2e-5 * largest) << "largest " << largest;
}

INSTANTIATE_TEST_SUITE_P(BandFilterSizes, SineTransformSize, ::testing::Values(16, 2048, 4096));

TEST(ComplexFft, ForwardMatchesTheDirectSumAndInverseUndoesIt) {
    const int n = 2048;
    std::vector<float> x(2 * n), spectrum(2 * n), back(2 * n);
    for (int i = 0; i < 2 * n; ++i)
        x[i] = static_cast<float>(std::sin(0.37 * i * i + 1.0));
    CComplexFft fft(n);
    fft.forward(x.data(), spectrum.data());
    for (int b : {0, 1, 7, 1023, 2047}) {
        double re = 0.0, im = 0.0;
        for (int i = 0; i < n; ++i) {
            const double ph = -2.0 * std::numbers::pi * static_cast<double>(i) * b / n;
            re += x[2 * i] * std::cos(ph) - x[2 * i + 1] * std::sin(ph);
            im += x[2 * i] * std::sin(ph) + x[2 * i + 1] * std::cos(ph);
        }
        EXPECT_NEAR(spectrum[2 * b], re, 1e-2) << b;
        EXPECT_NEAR(spectrum[2 * b + 1], im, 1e-2) << b;
    }
    fft.inverse(spectrum.data(), back.data());
    for (int i = 0; i < 2 * n; ++i)
        ASSERT_NEAR(back[i] / n, x[i], 1e-5) << i;
}
