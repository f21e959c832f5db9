#include "engine/kalo2/FormantStage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Engine {

namespace {
float magnitude(const float* c) {
    return std::sqrt(c[0] * c[0] + c[1] * c[1]);
}

float* work(FormantRecord& r) {
    return simdAligned(r.work);
}
float* spectrum(FormantRecord& r) {
    return simdAligned(r.spectrum);
}

// The frame as complex values with imaginary parts 0, in the work area.
void loadFrame(FormantRecord& r, int n) {
    float* w = work(r);
    for (int i = 0; i < n; ++i) {
        w[2 * i] = r.frame[i];
        w[2 * i + 1] = 0.0f;
    }
}
} // namespace

void CFormantStage::process(FormantRecord& r, const CRateTables& tables, const float* in,
                            float* out, double formantRatio) {
    const int k = tables.rateMultiple;
    const int n = 2048 * k;
    const int q = 1536 * k;
    if (r.tag != kFormantTag || r.state == 0) {
        r.tag = kFormantTag;
        r.writeIndex = q;
        r.state = 1;
    }
    // A stream whose rate multiple changed would leave the index outside this frame.
    if (r.writeIndex < q || r.writeIndex >= n) r.writeIndex = q;
    // In runs up to the end of the frame, where the next frame is formed.
    for (int i = 0; i < 512 * k;) {
        const int run = std::min(512 * k - i, n - r.writeIndex);
        std::copy(in + i, in + i + run, r.input + r.writeIndex);
        std::copy(r.output + r.writeIndex - q, r.output + r.writeIndex - q + run, out + i);
        i += run;
        r.writeIndex += run;
        if (r.writeIndex >= n) processFrame(r, tables, formantRatio);
    }
}

void CFormantStage::processFrame(FormantRecord& r, const CRateTables& tables, double formantRatio) {
    const int k = tables.rateMultiple;
    const int n = 2048 * k;
    const int hop = 512 * k;
    r.writeIndex = 1536 * k;
    // The frame is the input weighted by the window (before the first frame the history
    // below the middle is still silence and stays unweighted).
    const float* w = tables.hann.data();
    const int weighted = r.state < 2 ? n / 2 + 1 : 1;
    std::copy(r.input, r.input + weighted, r.frame);
    for (int i = weighted; i < n; ++i)
        r.frame[i] = r.input[i] * w[i];
    std::memmove(r.input, r.input + hop, sizeof(float) * (n - hop));

    if (static_cast<float>(formantRatio) != 1.0f) correctSpectrum(r, tables, formantRatio);
    taper(r.frame, n, n / 16);
    // The output moves on by a hop and takes the frame: the same sums as shifting first and
    // adding after.
    for (int i = 0; i < n - hop; ++i)
        r.output[i] = r.output[i + hop] + r.frame[i];
    for (int i = n - hop; i < n; ++i)
        r.output[i] = 0.0f + r.frame[i];
    r.state = 2;
}

void CFormantStage::taper(float* data, int n, int ramp) {
    const float scale = 1.0f / static_cast<float>(ramp);
    // Where both ramps would apply (frames shorter than two ramps) the rising one wins.
    for (int i = std::max(n - ramp + 1, ramp + 1); i < n; ++i)
        data[i] *= static_cast<float>(n - i) * scale;
    for (int i = 0; i <= ramp && i < n; ++i)
        data[i] *= static_cast<float>(i) * scale;
}

void CFormantStage::resize(const float* src, float* dst, int span, int count) {
    for (int i = 0; i < count; ++i) {
        const double x = static_cast<double>(i) * span / count;
        const int j = static_cast<int>(x);
        const float frac = static_cast<float>(x - j);
        dst[i] = src[j] * (1.0f - frac) + src[j + 1] * frac;
    }
}

// Smoothed magnitude spectrum: the log-free cepstral smoothing of the magnitudes. The
// alternating sign moves quefrency 0 to the middle of the transform, where a short Hann
// lifter keeps only the slow variations.
void CFormantStage::computeEnvelope(FormantRecord& r, const CRateTables& tables) {
    const int n = tables.fft.size();
    const int bins = n / 2;
    const int half = n / 16;
    float* c = spectrum(r);
    loadFrame(r, n);
    tables.fft.forward(work(r), c);
    for (int b = 0; b < bins; ++b) {
        const float mag = magnitude(c + 2 * b);
        c[2 * b] = (b & 1) ? -mag : mag;
        c[2 * b + 1] = 0.0f;
    }
    c[0] *= 0.5f;
    std::fill(c + 2 * bins, c + 2 * n, 0.0f);
    float* w = work(r);
    tables.fft.inverse(c, w);
    const float* lifter = tables.lifter.data();
    const float invBins = 1.0f / static_cast<float>(bins);
    for (int i = 0; i < n; ++i) {
        const int u = i + half - bins;
        w[2 * i] = (u >= 0 && u <= 2 * half) ? lifter[u] * w[2 * i] * invBins : 0.0f;
        w[2 * i + 1] = 0.0f;
    }
    tables.fft.forward(w, c);
    for (int b = 0; b < bins; ++b)
        r.envelope[b] = 2.0f * magnitude(c + 2 * b);
}

void CFormantStage::correctSpectrum(FormantRecord& r, const CRateTables& tables,
                                    double formantRatio) {
    const int n = tables.fft.size();
    const int bins = n / 2;
    std::fill(std::begin(r.envelope), std::end(r.envelope), 0.0f);
    std::fill(std::begin(r.shifted), std::end(r.shifted), 0.0f);
    computeEnvelope(r, tables);

    const double stretch = 1.0 / formantRatio;
    if (stretch <= 1.0)
        resize(r.envelope, r.shifted, static_cast<int>(stretch * bins), bins);
    else
        resize(r.envelope, r.shifted, bins, static_cast<int>(bins / stretch));

    float* c = spectrum(r);
    loadFrame(r, n);
    tables.fft.forward(work(r), c);
    for (int b = 0; b < bins; ++b) {
        float gain = r.envelope[b] > 0.0f ? r.shifted[b] / r.envelope[b] : 1.0f;
        gain = std::min(gain, 16.0f);
        c[2 * b] *= gain;
        c[2 * b + 1] *= gain;
    }
    c[0] *= 0.5f;
    c[1] *= 0.5f;
    std::fill(c + 2 * bins, c + 2 * n, 0.0f);
    const float* w = work(r);
    tables.fft.inverse(c, work(r));
    const float invBins = 1.0f / static_cast<float>(bins);
    for (int i = 0; i < n; ++i)
        r.frame[i] = w[2 * i] * invBins;
}

} // namespace Engine
