#include "engine/kalo2/RateTables.h"

#include <cmath>
#include <memory>
#include <mutex>
#include <numbers>

namespace Engine {

namespace {
std::vector<float> raisedCosine(int count, int period) {
    std::vector<float> w(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        w[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / period));
    return w;
}
SearchSines buildSearchSines(int size, int decimation) {
    SearchSines table;
    table.decimation = decimation;
    table.points = size / decimation;
    table.bins = table.points + 1;
    table.values.resize(static_cast<std::size_t>(table.bins) * table.points);
    for (int q = 0; q < table.bins; ++q)
        for (int t = 0; t < table.points; ++t) {
            // The angle reduced exactly to a whole number of half turns below 2 * size.
            const long long n = (static_cast<long long>(decimation) * t + decimation - 1) * q;
            const double angle = std::numbers::pi * static_cast<double>(n % (2 * size)) / size;
            table.values[static_cast<std::size_t>(q) * table.points + t] =
                static_cast<float>(std::sin(angle));
        }
    return table;
}
} // namespace

CRateTables::CRateTables(int k)
    : rateMultiple(k), sineTransform(2048 * k), fft(2048 * k),
      hann(raisedCosine(2048 * k, 2048 * k)), splice(raisedCosine(1024 * k, 1024 * k)),
      lifter(raisedCosine(256 * k + 1, 256 * k)), searchSines{buildSearchSines(2048 * k, 64),
                                                              buildSearchSines(2048 * k, 32)} {
    for (int i = 512 * k + 1; i < 1024 * k; ++i)
        splice[i] = 1.0f;
}

const SearchSines* CRateTables::searchSinesFor(int decimation) const {
    for (const SearchSines& table : searchSines)
        if (table.decimation == decimation) return &table;
    return nullptr;
}

const CRateTables& CRateTables::forRateMultiple(int k) {
    static std::once_flag once;
    static std::unique_ptr<CRateTables> tables[2];
    std::call_once(once, [] {
        tables[0] = std::make_unique<CRateTables>(1);
        tables[1] = std::make_unique<CRateTables>(2);
    });
    return *tables[k >= 2 ? 1 : 0];
}

} // namespace Engine
