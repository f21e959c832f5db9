#include "process/Resampler.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Process {

namespace {
constexpr double kBeta = 5.652158;
constexpr int kCentre = kResamplerPhases * (kResamplerTaps / 2); // 6000

float& at(float (&table)[kResamplerPhases][kResamplerTaps], int position) {
    return table[position % kResamplerPhases][position / kResamplerPhases];
}

float output(const ResamplerRecord& r, int phase, float newest) {
    const float* row = r.table[phase];
    float y = 0.0f;
    for (int j = 1; j < kResamplerTaps; ++j)
        y += row[j] * r.history[kResamplerHistory - j];
    return y + row[0] * newest;
}
} // namespace

double CResampler::besselI0(double x) {
    const double x2 = x * x;
    double sum = 1.0;
    double term = 1.0;
    double j = 0.0;
    do {
        j += 2.0;
        term *= x2 / (j * j);
        sum += term;
    } while (sum * 1e-7 < term);
    return sum;
}

void CResampler::buildTable(float (&table)[kResamplerPhases][kResamplerTaps]) {
    const double i0Beta = besselI0(kBeta);
    for (int d = kCentre - 1; d >= 1; --d) {
        const float u = static_cast<float>(d) * 0.00016666666f;
        const float x = 5.652158f * std::sqrt(1.0f - u * u);
        const double sinc = std::sin(d * 0.0062831854) * 500.0 / (d * std::numbers::pi);
        at(table, kCentre - d) = static_cast<float>(sinc * besselI0(x) / i0Beta);
    }
    at(table, kCentre) = 1.0f;
    for (int i = kCentre + 1; i < 2 * kCentre; ++i)
        at(table, i) = at(table, 2 * kCentre - i);
    table[0][0] = 0.0f;
}

void CResampler::prepare(ResamplerRecord& record) {
    if (record.built && record.tableMarker == kResamplerTableMarker) return;
    buildTable(record.table);
    record.phases = kResamplerPhases;
    record.taps = kResamplerTaps;
    record.tableMarker = kResamplerTableMarker;
    record.built = 1;
}

void CResampler::process(ResamplerRecord& r, const float* in, int inputCount, float* out,
                         int outputCount) {
    const double ratio = static_cast<double>(inputCount) / outputCount;
    r.step[0] = r.step[1] = ratio;
    r.phases = kResamplerPhases;
    // One input frame is outputCount units, one output step inputCount units.
    const auto frame = static_cast<std::uint32_t>(outputCount);
    const auto step = static_cast<std::uint32_t>(inputCount);
    std::uint32_t phase = std::min(r.phase, step - 1);
    int written = 0;
    for (int i = 0; i < inputCount; ++i) {
        const float x = in[i];
        for (; phase < frame; phase += step) {
            const int row = static_cast<int>(std::uint64_t{phase} * kResamplerPhases / frame);
            if (written < outputCount) out[written++] = output(r, row, x);
        }
        phase -= frame;
        std::copy(r.history + 1, r.history + kResamplerHistory, r.history);
        r.history[kResamplerHistory - 1] = x;
    }
    r.phase = phase;
}

} // namespace Process
