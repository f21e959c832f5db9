#!/usr/bin/python3
"""Sound quality of stretchwerk's modes beside the peer tools, on synthetic signals.

Every tool gets the same input files and the same four operations (time 1.5, time 0.75,
pitch +7, pitch -5); every output is measured the same way. Run bench/quality/run.sh (it
builds the command line and installs what is missing) or this script with --cli PATH.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

import numpy as np
from scipy import signal
from scipy.io import wavfile

RATE = 44100
OPS = [("time 1.5", 1.5, 0), ("time 0.75", 0.75, 0), ("pitch +7", 1.0, 7), ("pitch -5", 1.0, -5)]
FLOOR = 10 ** (-100 / 20)  # white-noise floor under every signal but the clicks
EDGE = 0.3  # seconds dropped at both ends: the steady part


# ---------------------------------------------------------------- signals


def noise(n, level, seed=1):
    return np.random.default_rng(seed).standard_normal(n) * level


def tone(freq=440.0, seconds=4.0, amp=0.5):
    t = np.arange(int(seconds * RATE)) / RATE
    return amp * np.sin(2 * np.pi * freq * t) + noise(len(t), FLOOR)


CHORD = (261.6, 329.6, 392.0)


def chord(seconds=4.0):
    t = np.arange(int(seconds * RATE)) / RATE
    x = sum(0.25 * np.sin(2 * np.pi * f * t + k) for k, f in enumerate(CHORD))
    return x + noise(len(t), FLOOR)


def chirp_wave(f0, f1, seconds, n=None):
    n = n or int(seconds * RATE)
    t = np.arange(n) / RATE
    return 0.5 * np.sin(2 * np.pi * (f0 * t + (f1 - f0) * t * t / (2 * seconds)))


CLICK_START, CLICK_GAP, CLICKS = 0.5, 0.25, 12


def clicks():
    n = int((CLICK_START + CLICK_GAP * CLICKS + 0.5) * RATE)
    x = noise(n, 10 ** (-60 / 20), seed=2)
    for k in range(CLICKS):
        x[int((CLICK_START + k * CLICK_GAP) * RATE)] = 0.9
    return x


VOWEL = ((700, 80), (1220, 90), (2600, 120))


def vowel(f0=120.0, seconds=3.0):
    """A pulse train through a glottal low-pass and three formant resonators."""
    n = int(seconds * RATE)
    period = RATE / f0
    x = np.zeros(n)
    pos = 0.0
    while pos < n - 1:
        i = int(pos)
        frac = pos - i
        x[i] += 1 - frac
        x[i + 1] += frac
        pos += period
    b, a = [1.0], np.poly([0.97, 0.97])  # glottal roll-off
    y = signal.lfilter(b, a, x)
    for f, bw in VOWEL:
        r = np.exp(-np.pi * bw / RATE)
        y = signal.lfilter([1 - r], [1, -2 * r * np.cos(2 * np.pi * f / RATE), r * r], y)
    y = signal.lfilter([1, -1], [1], y)  # lip radiation
    y *= 0.5 / np.max(np.abs(y))
    return y + noise(n, FLOOR)


def music_excerpt():
    path = os.environ.get("MUSIC", "/tmp/swk-bench/music.wav")
    here = os.path.dirname(os.path.abspath(__file__))
    subprocess.run(["bash", os.path.join(here, "..", "make-music.sh"), path], check=True,
                   stdout=subprocess.DEVNULL)
    rate, x = wavfile.read(path)
    x = x.astype(np.float64) / (32768.0 if x.dtype == np.int16 else 1.0)
    mono = x[30 * rate:38 * rate].mean(axis=1)
    return mono * (0.5 / np.max(np.abs(mono)))


# ---------------------------------------------------------------- tools


def write(path, x):
    x = np.asarray(x, dtype=np.float64)
    pcm = np.clip(np.round(x * 8388607), -8388608, 8388607).astype(np.int32) << 8
    wavfile.write(path, RATE, pcm)  # 24 bits of a 32-bit container; sox writes true 24-bit
    subprocess.run(["sox", path, "-b", "24", path + ".24.wav"], check=True)
    os.replace(path + ".24.wav", path)


def read(path):
    rate, x = wavfile.read(path)
    if x.dtype == np.int16:
        x = x / 32768.0
    elif x.dtype == np.int32:
        x = x / 2147483648.0
    return np.asarray(x, dtype=np.float64)


class Tool:
    def __init__(self, name, run, formants=None):
        self.name, self.run, self.formants = name, run, formants


def ours(cli, quality):
    def run(src, dst, time, semis, keep=False):
        d = tempfile.mkdtemp(dir=os.path.dirname(dst))
        cmd = [cli, "process", "--jobs", "1", "--quality", quality, "--out-dir", d,
               "--time", "%g%%" % (time * 100), "--semitones", str(semis)]
        cmd += ["--preserve-formants"] if keep else []
        subprocess.run(cmd + [src], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        out = os.listdir(d)
        shutil.move(os.path.join(d, out[0]), dst)
        os.rmdir(d)
    return Tool(quality, run, formants=True)


def rubberband(extra, name):
    def run(src, dst, time, semis, keep=False):
        cmd = ["rubberband", "-q"] + extra + ["-t", str(time), "-p", str(semis)]
        cmd += ["-F"] if keep else []
        subprocess.run(cmd + [src, dst], check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
    return Tool(name, run, formants=True)


def sox_tool():
    def run(src, dst, time, semis, keep=False):
        effect = ["tempo", "%.6f" % (1 / time)] if time != 1 else ["pitch", str(semis * 100)]
        subprocess.run(["sox", src, dst] + effect, check=True)
    return Tool("sox", run)


def soundstretch_tool():
    def run(src, dst, time, semis, keep=False):
        subprocess.run(["soundstretch", src, dst, "-tempo=%.6f" % ((1 / time - 1) * 100),
                        "-pitch=%d" % semis], check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
    return Tool("soundstretch", run)


# ---------------------------------------------------------------- metrics


def steady(y):
    e = int(EDGE * RATE)
    return y[e:len(y) - e]


def kaiser_spectrum(y, pad=8):
    y = steady(y)
    w = np.kaiser(len(y), 20.0)
    n = 1 << int(np.ceil(np.log2(len(y) * pad)))
    p = np.abs(np.fft.rfft(y * w, n)) ** 2
    return np.fft.rfftfreq(n, 1 / RATE), p


def outside_db(y, freqs):
    """Energy outside +-10 Hz of the expected partials, relative to all energy."""
    f, p = kaiser_spectrum(y, pad=1)
    near = np.zeros(len(f), bool)
    for fr in freqs:
        near |= np.abs(f - fr) <= 10.0
    return 10 * np.log10(max(p[~near].sum(), 1e-30) / p.sum())


def peak_freq(y, near):
    """The partial's frequency: Kaiser-windowed spectrum padded fine, parabola on the log peak."""
    f, p = kaiser_spectrum(y, pad=64)
    band = np.where(np.abs(f - near) <= 10.0)[0]
    k = band[np.argmax(p[band])]
    a, b, c = np.log(p[k - 1:k + 2])
    return f[k] + 0.5 * (a - c) / (a - 2 * b + c) * (f[1] - f[0])


def cents(a, b):
    return 1200 * np.log2(a / b)


def frame_freqs(y, lo, hi):
    """Per frame (2048, Hann, hop 512) the frequency of the strongest peak between lo and hi."""
    n, hop, pad = 2048, 512, 16
    w = np.hanning(n)
    f = np.fft.rfftfreq(n * pad, 1 / RATE)
    out = []
    for s in range(0, len(y) - n, hop):
        p = np.abs(np.fft.rfft(y[s:s + n] * w, n * pad)) + 1e-20
        band = np.where((f > lo) & (f < hi))[0]
        k = band[np.argmax(p[band])]
        a, b, c = np.log(p[k - 1:k + 2])
        out.append(f[k] + 0.5 * (a - c) / (a - 2 * b + c) * (f[1] - f[0]))
    return np.array(out)


def chirp_error(y, time, ratio):
    """RMS cents between the output and the ideal chirp, aligned by cross-correlation."""
    seconds = 4.0 * time
    ideal = chirp_wave(200 * ratio, 2000 * ratio, seconds)
    m = min(len(y), len(ideal))
    xc = signal.fftconvolve(y[:m], ideal[:m][::-1], mode="full")
    mid = m - 1
    lim = int(0.2 * RATE)
    lag = np.argmax(np.abs(xc[mid - lim:mid + lim])) - lim
    if lag > 0:
        y = y[lag:]
    else:
        ideal = ideal[-lag:]
    m = min(len(y), len(ideal))
    e = int(EDGE * RATE)
    a = frame_freqs(y[e:m - e], 100 * ratio, 2400 * ratio)
    b = frame_freqs(ideal[e:m - e], 100 * ratio, 2400 * ratio)
    return float(np.sqrt(np.mean(cents(a, b) ** 2)))


def click_stats(y, time):
    """Clicks found near their expected places, and the median 5-95 % energy width in ms."""
    e2 = y * y
    avg = np.convolve(e2, np.ones(int(0.002 * RATE)) / int(0.002 * RATE), mode="same")
    block = int(0.005 * RATE)
    blocks = e2[:len(e2) // block * block].reshape(-1, block).mean(axis=1)
    floor = np.median(blocks)
    above = avg > 10 * floor
    found, smears = 0, []
    half = int(0.5 * CLICK_GAP * time * RATE)
    for k in range(CLICKS):
        c = int((CLICK_START + k * CLICK_GAP) * time * RATE)
        lo, hi = max(c - half, 0), min(c + half, len(y))
        if not above[lo:hi].any():
            continue
        found += 1
        excess = np.clip(e2[lo:hi] - floor, 0, None)
        cum = np.cumsum(excess) / excess.sum()
        smears.append((np.searchsorted(cum, 0.95) - np.searchsorted(cum, 0.05)) / RATE * 1000)
    return found, float(np.median(smears)) if smears else float("nan")


def stereo_residuals(tool, work, music):
    worst_same, worst_neg = -np.inf, -np.inf
    for label, time, semis in OPS:
        for name, right in (("same", music), ("neg", -music)):
            src = os.path.join(work, "stereo-%s.wav" % name)
            if not os.path.exists(src):
                write(src, np.stack([music, right], axis=1))
            dst = os.path.join(work, "%s-stereo-%s-%s.wav" % (tool.name, name, label.replace(" ", "")))
            tool.run(src, dst, time, semis)
            y = read(dst)
            left, r = y[:, 0], y[:, 1]
            resid = left - r if name == "same" else left + r
            energy = np.sum(resid ** 2)
            db = -np.inf if energy == 0 else 10 * np.log10(energy / np.sum(left ** 2))
            if name == "same":
                worst_same = max(worst_same, db)
            else:
                worst_neg = max(worst_neg, db)
    return worst_same, worst_neg


def lpc_envelope(y):
    """Order-14 LPC of the steady part at 11025 Hz, in dB on a 200-4000 Hz grid, mean removed."""
    z = signal.resample_poly(steady(y), 1, 4)
    z = z * np.hanning(len(z))
    r = np.correlate(z, z, "full")[len(z) - 1:len(z) + 15]
    a = np.concatenate([[1], np.linalg.solve(
        np.array([[r[abs(i - j)] for j in range(14)] for i in range(14)]), -r[1:15])])
    f = np.linspace(200, 4000, 400)
    _, h = signal.freqz([1], a, worN=f, fs=RATE / 4)
    db = 20 * np.log10(np.abs(h))
    return db - db.mean()


def env_distance(a, b):
    return float(np.sqrt(np.mean((lpc_envelope(a) - lpc_envelope(b)) ** 2)))


# ---------------------------------------------------------------- table


def measure(tool, work, inputs):
    res = {}
    def out(sig, label, time, semis, keep=False):
        dst = os.path.join(work, "%s-%s-%s%s.wav" % (tool.name, sig, label.replace(" ", ""),
                                                      "-F" if keep else ""))
        tool.run(inputs[sig], dst, time, semis, keep)
        y = read(dst)
        return y if y.ndim == 1 else y[:, 0]
    tone_db, chord_db, chord_c, chirp_c, click_n, click_ms = [], [], [], [], [], []
    for label, time, semis in OPS:
        ratio = 2 ** (semis / 12)
        y = out("tone", label, time, semis)
        tone_db.append(outside_db(y, [440 * ratio]))
        if semis == 7:
            res["pitch"] = cents(peak_freq(y, 440 * ratio), 440 * ratio)
        if time == 1.5:
            res["duration"] = 100 * (len(y) / (len(read(inputs["tone"])) * time) - 1)
        y = out("chord", label, time, semis)
        chord_db.append(outside_db(y, [f * ratio for f in CHORD]))
        chord_c.append(max(abs(cents(peak_freq(y, f * ratio), f * ratio)) for f in CHORD))
        chirp_c.append(chirp_error(out("chirp", label, time, semis), time, ratio))
        n, ms = click_stats(out("clicks", label, time, semis), time)
        click_n.append(n)
        click_ms.append(ms)
    res["tone"] = max(tone_db)
    res["chord"] = (max(chord_db), max(chord_c))
    res["chirp"] = max(chirp_c)
    res["clicks"] = (min(click_n), max(click_ms))
    res["stereo"] = stereo_residuals(tool, work, inputs["music"])
    src = read(inputs["vowel"])
    res["vowel"] = (env_distance(out("vowel", "pitch+4", 1.0, 4, keep=True), src)
                    if tool.formants else None,
                    env_distance(out("vowel", "pitch+4", 1.0, 4), src))
    return res


def fmt_db(v):
    return "exact" if v == -np.inf else "%.1f" % v


def table(results):
    names = list(results)
    rows = [
        ("tone: outside +-10 Hz (dB)", lambda r: "%.1f" % r["tone"]),
        ("chord: outside partials (dB)", lambda r: "%.1f" % r["chord"][0]),
        ("chord: worst partial (cents)", lambda r: "%.2f" % r["chord"][1]),
        ("chirp: RMS error (cents)", lambda r: "%.2f" % r["chirp"]),
        ("clicks: found / smear (ms)", lambda r: "%d / %.2f" % r["clicks"]),
        ("stereo: L=R / L=-R (dB)", lambda r: "%s / %s" % tuple(map(fmt_db, r["stereo"]))),
        ("vowel +4 kept (dB)", lambda r: "-" if r["vowel"][0] is None else "%.2f" % r["vowel"][0]),
        ("vowel +4 moved (dB)", lambda r: "%.2f" % r["vowel"][1]),
        ("pitch error +7 (cents)", lambda r: "%+.2f" % r["pitch"]),
        ("duration error (%)", lambda r: "%+.3f" % r["duration"]),
    ]
    w = max(12, *(len(n) for n in names))
    lines = ["| metric (worst of the four operations) | " + " | ".join(names) + " |",
             "|---|" + "---|" * len(names)]
    for label, f in rows:
        lines.append("| %s | " % label + " | ".join(f(results[n]).rjust(w) for n in names) + " |")
    return "\n".join(lines)


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--cli", required=True, help="the stretchwerk-cli to measure")
    ap.add_argument("--modes", default="studio,best,medium", help="our qualities, comma-separated")
    ap.add_argument("--peers", default="rb-r2,rb-r3,sox,soundstretch")
    ap.add_argument("--keep", help="keep the files in this folder")
    args = ap.parse_args()
    work = args.keep or tempfile.mkdtemp(prefix="swk-quality-")
    os.makedirs(work, exist_ok=True)
    inputs = {}
    for name, x in (("tone", tone()), ("chord", chord()), ("chirp", chirp_wave(200, 2000, 4.0)
                    + noise(4 * RATE, FLOOR)), ("clicks", clicks()), ("vowel", vowel()),
                    ("music", music_excerpt())):
        if name == "music":
            inputs[name] = x
            continue
        inputs[name] = os.path.join(work, name + ".wav")
        write(inputs[name], x)
    tools = [ours(args.cli, q) for q in args.modes.split(",") if q]
    peers = {"rb-r2": lambda: rubberband([], "rb-r2"), "rb-r3": lambda: rubberband(["-3"], "rb-r3"),
             "sox": sox_tool, "soundstretch": soundstretch_tool}
    tools += [peers[p]() for p in args.peers.split(",") if p]
    results = {}
    for t in tools:
        print("measuring", t.name, file=sys.stderr)
        results[t.name] = measure(t, work, inputs)
    src = read(inputs["vowel"])
    ideal = vowel(120 * 2 ** (4 / 12))
    print("vowel references: ideal (the same formants at 151.2 Hz) %.2f dB"
          % env_distance(ideal, src))
    print(table(results))
    if not args.keep:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
