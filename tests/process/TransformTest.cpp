// The band filter's sine transform against its definition, summed directly in double precision.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

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
