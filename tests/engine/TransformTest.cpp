// The band filter's sine transform against its definition, summed directly in double precision.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "engine/kalo2/SineTransform.h"

using namespace Engine;

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

// The band filter asks only for the outputs below its band's upper edge and leaves out the
// zeros above that edge on the way back; the values it gets must be those of the full
// transform, bit for bit.
TEST_P(SineTransformSize, PartialTransformsGiveTheSameValues) {
    const int m = GetParam();
    std::mt19937 random(m + 1);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::vector<float> scratch(CSineTransform::scratchSize(m));
    const CSineTransform transform(m);
    for (const int edge : {1, 3, m / 8 + 5, m / 2 - 1, m / 2 + 3, m - 1}) {
        std::vector<float> x(m, 0.0f), full(m), partial(m, 77.0f);
        for (int i = 0; i < edge; ++i)
            x[i] = uniform(random);
        transform.apply(x.data(), full.data(), scratch.data(), 0.25f);
        transform.apply(x.data(), partial.data(), scratch.data(), 0.25f, edge, edge);
        for (int q = 0; q < edge; ++q)
            ASSERT_EQ(partial[q], full[q]) << "edge " << edge << " q " << q;
    }
}
