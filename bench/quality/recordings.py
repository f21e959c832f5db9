#!/usr/bin/python3
"""Stretchwerk's modes beside the peer tools on real recordings from Debian's packages.

Drum loops (lmms-common) at time 1.5: pre-echo and doubled hits. Every file at time 1.5 and
pitch +4, brought to a peak of -1.1 dBFS first: samples driven to full scale. Speech prompts
(asterisk-core-sounds-en-wav) and string, cello and choir samples (lmms-common) at pitch +4
with formants kept: the long-term envelope distance. Run bench/quality/run.sh recordings.
"""
import argparse
import os
import subprocess
import sys
import tempfile

import numpy as np
from scipy import signal

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import quality as q  # noqa: E402

LMMS = "/usr/share/lmms/samples"
PROMPTS = "/usr/share/asterisk/sounds/en_US_f_Allison"
DRUMS = ["beats/break01.ogg", "beats/break02.ogg", "beats/break03.ogg", "beats/909beat01.ogg",
         "beats/house_loop01.ogg", "beats/jungle01.ogg"]
VOICED = ["stringsnpads/strings01.ogg", "instruments/cello01.ogg",
          "instruments/violin_fingered01.ogg", "stringsnpads/chorus01.ogg"]
SPEECH = ["all-circuits-busy-now.wav", "vm-intro.wav", "conf-onlyperson.wav",
          "privacy-unident.wav"]
RATE = q.RATE


def prepare(src, dst, peak_db=None):
    """The file as 24-bit 44.1 kHz WAV, its peak at peak_db if given."""
    cmd = ["sox", src, "-b", "24", dst, "rate", "-v", str(RATE)]
    if peak_db is not None:
        cmd = ["sox", "--norm=%g" % peak_db, src, "-b", "24", dst, "rate", "-v", str(RATE)]
    subprocess.run(cmd, check=True)


def highpassed(x):
    sos = signal.butter(4, 1000, "highpass", fs=RATE, output="sos")
    return signal.sosfilt(sos, x)


def energy_ms(x):
    """Energy of the high-passed signal in 1 ms frames."""
    h = highpassed(x) ** 2
    n = RATE // 1000
    return h[:len(h) // n * n].reshape(-1, n).sum(axis=1)


def rises(e):
    """Per 1 ms frame: the energy of the 2 ms from it minus that of the 5 ms before it."""
    c = np.concatenate([[0], np.cumsum(e), np.full(2, np.sum(e))])
    t = np.arange(len(e))
    return (c[t + 2] - c[t]) / 2 - (c[t] - c[np.maximum(t - 5, 0)]) / np.maximum(np.minimum(t, 5), 1)


def hits(x):
    """Onsets of the source: a 1 ms frame above 8x the mean of the 30 ms before it and within
    40 dB of the loudest frame, at least 60 ms apart. Positions in ms."""
    e = energy_ms(x)
    c = np.concatenate([[0], np.cumsum(e)])
    found = []
    for t in range(30, len(e)):
        mean = (c[t] - c[t - 30]) / 30
        if e[t] > 8 * mean and e[t] > e.max() * 1e-4 and (not found or t - found[-1] >= 60):
            found.append(t)
    return found


def onset_near(e, t, reach=15):
    """The first 1 ms frame within +-reach of t that reaches a quarter of the loudest there."""
    lo, hi = max(t - reach, 0), min(t + reach + 1, len(e))
    return lo + int(np.argmax(e[lo:hi] >= 0.25 * e[lo:hi].max()))


def pre_echo(e, t):
    """dB: energy above 1 kHz 25-5 ms before the hit against the 20 ms after it."""
    before = e[max(t - 25, 0):max(t - 5, 0)].sum() + 1e-20
    after = e[t:t + 20].sum() + 1e-20
    return 10 * np.log10(before / after)


def doubled(s, t):
    """A second rise at least 40 % as strong within +-30 ms (beyond 5 ms of the hit)."""
    t = max(range(max(t - 3, 0), min(t + 4, len(s))), key=lambda u: s[u])
    main = s[t]
    for u in range(max(t - 30, 1), min(t + 31, len(s) - 1)):
        if abs(u - t) > 5 and s[u] >= s[u - 1] and s[u] >= s[u + 1] and s[u] >= 0.4 * main:
            return True
    return False


def drum_figures(src, out, time):
    es, eo = energy_ms(src), energy_ms(out)
    ss, so = rises(es), rises(eo)
    # Some tools delay their output: the lag (within 60 ms) that best lines up the envelopes.
    stretched = np.interp(np.arange(len(eo)) / time, np.arange(len(es)), es, right=0)
    lags = range(-60, 61)
    lag = max(lags, key=lambda d: np.dot(stretched[max(-d, 0):len(eo) - max(d, 0)],
                                         eo[max(d, 0):len(eo) - max(-d, 0)]))
    echo, twice_src, twice_out = [], 0, 0
    for t in hits(src):
        t = onset_near(es, t, 3)
        u = onset_near(eo, int(round(t * time)) + lag)
        if t < 30 or u + 20 > len(eo):
            continue
        echo.append(pre_echo(eo, u) - pre_echo(es, t))
        twice_src += doubled(ss, t)
        twice_out += doubled(so, u)
    echo = np.array(echo)
    return echo, twice_src, twice_out


def long_term_envelope(x):
    """Order-14 LPC (as for the vowel) of the whole file with its quiet 6 ms frames dropped."""
    frames = x[:len(x) // 256 * 256].reshape(-1, 256)
    loud = frames[(frames ** 2).mean(axis=1) > (frames ** 2).mean() * 0.05].ravel()
    pad = np.zeros(int(q.EDGE * RATE))  # lpc_envelope drops this much at both ends
    return q.lpc_envelope(np.concatenate([pad, loud, pad]))


def env_distance(a, b):
    return float(np.sqrt(np.mean((long_term_envelope(a) - long_term_envelope(b)) ** 2)))


def mono(x):
    return x if x.ndim == 1 else x.mean(axis=1)


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--cli", required=True)
    ap.add_argument("--modes", default="studio,best")
    ap.add_argument("--peers", default="rb-r2,rb-r3,sox")
    ap.add_argument("--parts", default="drums,clipping,formants")
    args = ap.parse_args()
    parts = args.parts.split(",")
    work = tempfile.mkdtemp(prefix="swk-recordings-")
    tools = [q.ours(args.cli, m) for m in args.modes.split(",") if m]
    peers = {"rb-r2": lambda: q.rubberband([], "rb-r2"),
             "rb-r3": lambda: q.rubberband(["-3"], "rb-r3"), "sox": q.sox_tool,
             "soundstretch": q.soundstretch_tool}
    tools += [peers[p]() for p in args.peers.split(",") if p]

    if "drums" in parts:
        drums(tools, work)
    if "clipping" in parts:
        clipping(tools, work)
    if "formants" in parts:
        formants(tools, work)


def drums(tools, work):
    print("## Drum loops at time 1.5: pre-echo median dB (hits over +6 dB) / doubled hits")
    print("| file | hits | source doubled | " + " | ".join(t.name for t in tools) + " |")
    print("|---|---|---|" + "---|" * len(tools))
    pooled = {t.name: [] for t in tools}
    doubles = {t.name: 0 for t in tools}
    source_doubles = 0
    for name in DRUMS:
        src = os.path.join(work, os.path.basename(name) + ".wav")
        prepare(os.path.join(LMMS, name), src)
        x = mono(q.read(src))
        cells = []
        for t in tools:
            dst = os.path.join(work, "%s-%s" % (t.name, os.path.basename(src)))
            t.run(src, dst, 1.5, 0)
            echo, ds, do = drum_figures(x, mono(q.read(dst)), 1.5)
            pooled[t.name] += list(echo)
            doubles[t.name] += do
            cells.append("%+.1f (%.0f %%) / %d" % (np.median(echo), np.mean(echo > 6) * 100, do))
        source_doubles += ds
        print("| %s | %d | %d | %s |" % (os.path.basename(name), len(echo), ds, " | ".join(cells)))
    hits_all = len(pooled[tools[0].name])
    print("| all hits | %d | %d | %s |" % (hits_all, source_doubles, " | ".join(
        "%+.1f (%.0f %%) / %d" % (np.median(pooled[t.name]), np.mean(np.array(pooled[t.name]) > 6)
                                  * 100, doubles[t.name]) for t in tools)))


def clipping(tools, work):
    print("\n## Samples at full scale, sources at -1.1 dBFS peak (time 1.5 / pitch +4)")
    print("| file | " + " | ".join(t.name for t in tools) + " |")
    print("|---|" + "---|" * len(tools))
    files = [os.path.join(LMMS, f) for f in DRUMS + VOICED] + \
            [os.path.join(PROMPTS, f) for f in SPEECH]
    for path in files:
        src = os.path.join(work, "loud-" + os.path.basename(path) + ".wav")
        prepare(path, src, -1.1)
        cells = []
        for t in tools:
            counts = []
            for time, semis in ((1.5, 0), (1.0, 4)):
                dst = os.path.join(work, "%s-%s" % (t.name, os.path.basename(src)))
                t.run(src, dst, time, semis)
                y = q.read(dst)
                counts.append(int(np.sum(np.abs(y) >= 8388607 / 8388608)))
            cells.append("%d / %d" % tuple(counts))
        print("| %s | %s |" % (os.path.basename(path), " | ".join(cells)))



def formants(tools, work):
    print("\n## Long-term envelope distance at pitch +4, formants kept (dB)")
    formant_tools = [t for t in tools if t.formants]
    print("| file | " + " | ".join(t.name for t in formant_tools) + " |")
    print("|---|" + "---|" * len(formant_tools))
    table = {t.name: [] for t in formant_tools}
    for path in [os.path.join(LMMS, f) for f in VOICED] + [os.path.join(PROMPTS, f) for f in SPEECH]:
        src = os.path.join(work, "voice-" + os.path.basename(path) + ".wav")
        prepare(path, src)
        x = mono(q.read(src))
        cells = []
        for t in formant_tools:
            dst = os.path.join(work, "%s-%s" % (t.name, os.path.basename(src)))
            t.run(src, dst, 1.0, 4, True)
            d = env_distance(mono(q.read(dst)), x)
            table[t.name].append(d)
            cells.append("%.2f" % d)
        print("| %s | %s |" % (os.path.basename(path), " | ".join(cells)))
    print("| median | %s |" % " | ".join("%.2f" % np.median(table[t.name]) for t in formant_tools))


if __name__ == "__main__":
    main()
