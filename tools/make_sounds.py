#!/usr/bin/python3
"""Synthesizes the six sound cues of Trouvimo by additive synthesis with envelopes:
16-bit PCM, 44.1 kHz, mono, each peaking at exactly -3 dBFS, with short fades at both ends so
that nothing clicks. Noise comes from a seeded generator, so the files are the same at each run.

    /usr/bin/python3 tools/make_sounds.py [--out data/Sons]
"""

import argparse
import wave
from pathlib import Path

import numpy as np

RATE = 44100
PEAK_DBFS = -3.0
FADE_IN_S = 0.004
FADE_OUT_S = 0.012


def note(name):
    """Frequency of a note written like "C5", "F#4" or "Bb3" (A4 = 440 Hz)."""
    steps = {"C": -9, "D": -7, "E": -5, "F": -4, "G": -2, "A": 0, "B": 2}
    semis = steps[name[0]]
    rest = name[1:]
    if rest[0] == "#":
        semis, rest = semis + 1, rest[1:]
    elif rest[0] == "b":
        semis, rest = semis - 1, rest[1:]
    return 440.0 * 2 ** ((semis + 12 * (int(rest) - 4)) / 12)


def timeline(seconds):
    return np.zeros(int(round(seconds * RATE)))


def times(seconds):
    return np.arange(int(round(seconds * RATE))) / RATE


def adsr(n, attack, decay, sustain, release):
    """Attack-decay-sustain-release envelope over n samples (times in seconds)."""
    a, d, r = (max(1, int(x * RATE)) for x in (attack, decay, release))
    env = np.full(n, sustain, dtype=float)
    env[:a] = np.linspace(0, 1, a)[: n]
    if a < n:
        end = min(n, a + d)
        env[a:end] = np.linspace(1, sustain, d)[: end - a]
    if r < n:
        env[n - r:] *= np.linspace(1, 0, r)
    return env


def partials(freq, seconds, amps, ratios=None, decays=None, vibrato=0.0, phase_seed=0,
             ceiling=RATE / 2 - 1000):
    """A sum of sine partials: amps[k] at ratios[k] x freq, each decaying exponentially at
    decays[k] per second (0 = steady); partials above `ceiling` Hz are left out."""
    t = times(seconds)
    ratios = ratios or [k + 1 for k in range(len(amps))]
    decays = decays or [0.0] * len(amps)
    rng = np.random.default_rng(phase_seed)
    wobble = 1 + vibrato * np.sin(2 * np.pi * 5.5 * t) * np.clip(t / 0.15, 0, 1)
    phase = 2 * np.pi * freq * np.cumsum(wobble) / RATE
    out = np.zeros_like(t)
    for amp, ratio, decay in zip(amps, ratios, decays):
        if freq * ratio >= ceiling:
            continue
        out += amp * np.sin(ratio * phase + rng.uniform(0, 2 * np.pi)) * np.exp(-decay * t)
    return out


def falling(seconds):
    """A smooth fall from 1 to 0 over the given time, for tails that must die out completely."""
    n = len(times(seconds))
    return 0.5 + 0.5 * np.cos(np.linspace(0, np.pi, n))


def place(track, sound, at):
    start = int(round(at * RATE))
    end = min(len(track), start + len(sound))
    track[start:end] += sound[: end - start]


def lowpass(x, cutoff):
    """One-pole low-pass filter."""
    k = 1 - np.exp(-2 * np.pi * cutoff / RATE)
    y = np.empty_like(x)
    acc = 0.0
    for i, v in enumerate(x):
        acc += k * (v - acc)
        y[i] = acc
    return y


def highpass(x, cutoff):
    return x - lowpass(x, cutoff)


def noise(seconds, seed):
    return np.random.default_rng(seed).uniform(-1, 1, len(times(seconds)))


# ---------------------------------------------------------------------------------------------
# Instruments

def edges(seconds):
    """A 2 ms attack and a 30 ms release: a struck tone cut short must not click."""
    t = times(seconds)
    return np.clip(t / 0.002, 0, 1) * np.clip((seconds - t) / 0.03, 0, 1)


def bell(freq, seconds, brightness=1.0):
    """A small bell: inharmonic partials, the high ones dying first. The top is capped so that
    high bells stay sweet."""
    tone = partials(freq, seconds,
                    amps=[1.0, 0.55 * brightness, 0.35 * brightness, 0.2 * brightness, 0.12 * brightness],
                    ratios=[1.0, 2.76, 5.40, 8.93, 13.34],
                    decays=[3.2, 5.0, 8.0, 12.0, 18.0], ceiling=9000)
    return tone * edges(seconds)


def glock(freq, seconds):
    """A glockenspiel bar: bright, pure, a quick decay."""
    tone = partials(freq, seconds, amps=[1.0, 0.25, 0.08], ratios=[1.0, 3.93, 9.5],
                    decays=[4.5, 9.0, 16.0], ceiling=12000)
    return tone * edges(seconds)


def brass(freq, seconds, bright=1.0):
    """A trumpet-like tone: a full harmonic series whose upper partials bloom after the attack."""
    n = len(times(seconds))
    t = times(seconds)
    tone = np.zeros(n)
    for k in range(1, 13):
        bloom = np.clip(t / (0.012 + 0.006 * k), 0, 1)
        tone += (bright ** (k - 1)) / k ** 0.9 * bloom * partials(freq, seconds, [1.0], [k], vibrato=0.004, phase_seed=k * 1000 + int(freq))
    return tone * adsr(n, 0.02, 0.08, 0.78, min(0.12, seconds / 3))


def soft_pad(freq, seconds):
    """A round, flute-like tone for the greeting."""
    n = len(times(seconds))
    return partials(freq, seconds, amps=[1.0, 0.3, 0.12, 0.05], vibrato=0.003) * adsr(n, 0.06, 0.2, 0.7, seconds * 0.6)


# ---------------------------------------------------------------------------------------------
# The six cues

def logoff():
    """A soft greeting: a warm rising arpeggio that settles on a gentle chord."""
    track = timeline(1.9)
    for i, name in enumerate(["G4", "B4", "D5", "G5"]):
        place(track, 0.5 * soft_pad(note(name), 1.9 - 0.16 * i), 0.16 * i)
        place(track, 0.18 * bell(note(name) * 2, 0.9, brightness=0.4), 0.16 * i)
    return track


def fanfare4():
    """A bright little fanfare: ta-ta-ta-taaa, then a ringing chord."""
    track = timeline(2.0)
    for at, dur, name in [(0.0, 0.13, "C5"), (0.15, 0.13, "C5"), (0.30, 0.13, "C5"),
                          (0.45, 0.36, "G5"), (0.84, 0.16, "E5")]:
        place(track, brass(note(name), dur + 0.05, bright=0.86), at)
    for name in ("C5", "E5", "G5", "C6"):
        place(track, 0.55 * brass(note(name), 1.0, bright=0.8), 1.0)
    place(track, 0.25 * glock(note("C7"), 0.9), 1.0)
    place(track, 0.2 * glock(note("G6"), 0.9), 1.05)
    return track


def chimes():
    """Three quick descending chime strokes that ring out; 0.6 s in all."""
    track = timeline(0.6)
    for at, name, gain in [(0.0, "E6", 1.0), (0.09, "C6", 0.9), (0.18, "G5", 0.85)]:
        place(track, gain * bell(note(name), 0.6 - at, brightness=0.7), at)
    return track


def camera():
    """A shutter: a soft mechanical click, a short whirr, a second click."""
    track = timeline(0.26)

    def click(seed, cutoff, length):
        n = noise(length, seed) * np.exp(-times(length) / 0.006)
        return lowpass(highpass(n, 800), cutoff)

    place(track, click(1, 6000, 0.04), 0.0)
    place(track, 0.35 * partials(2200, 0.03, [1.0]) * np.exp(-times(0.03) / 0.008), 0.002)
    whirr = lowpass(noise(0.09, 2), 2500) * np.hanning(len(times(0.09))) * 0.25
    place(track, whirr, 0.035)
    place(track, 0.8 * click(3, 4500, 0.05), 0.13)
    place(track, 0.3 * partials(1600, 0.04, [1.0]) * np.exp(-times(0.04) / 0.01), 0.132)
    return track


def cashreg():
    """Ka-ching: the drawer's rattle, then two bright bell strikes."""
    track = timeline(1.3)
    rattle_len = 0.16
    rattle = highpass(noise(rattle_len, 4), 1500)
    pulses = (np.sin(2 * np.pi * 45 * times(rattle_len)) > 0.3).astype(float)
    rattle *= lowpass(pulses, 400) * np.hanning(len(rattle)) * 0.5
    place(track, rattle, 0.0)
    for at, freq in ((0.16, 2093.0), (0.19, 2637.0)):
        ring = partials(freq, 1.1, amps=[1.0, 0.4, 0.25, 0.15], ratios=[1.0, 2.0, 2.76, 5.4],
                        decays=[3.0, 4.5, 6.0, 9.0])
        place(track, 0.6 * ring * edges(1.1), at)
    return track


def tada():
    """Ta-da: a short pick-up chord and a long, triumphant major chord with a shimmer."""
    track = timeline(2.2)
    for name in ("G4", "B4", "D5"):
        place(track, 0.5 * brass(note(name), 0.16, bright=0.85), 0.0)
    chord = ("C4", "G4", "C5", "E5", "G5", "C6")
    for i, name in enumerate(chord):
        tone = brass(note(name), 1.95, bright=0.84) * np.exp(-times(1.95) * 0.6)
        place(track, 0.45 * tone, 0.2 + 0.004 * i)
    shimmer = highpass(noise(1.6, 5), 5000) * np.exp(-times(1.6) * 2.8) * falling(1.6) * 0.18
    place(track, shimmer, 0.2)
    for at, name in ((0.2, "C7"), (0.26, "E7"), (0.32, "G7")):
        place(track, 0.18 * glock(note(name), 1.2), at)
    return track


# File name -> (cue, drive). A drive above 0 rounds off the few sharp peaks of the brass chords
# with a gentle saturation, so that they sound as loud as the other cues at the same peak level.
CUES = {
    "Logoff.wav": (logoff, 0.0),
    "fanfare4.wav": (fanfare4, 1.2),
    "Chimes.wav": (chimes, 0.0),
    "Camera.wav": (camera, 0.0),
    "Cashreg.wav": (cashreg, 0.0),
    "Tada.wav": (tada, 1.5),
}


def finish(signal, drive):
    """Removes any offset, saturates when asked, fades both ends and scales the peak to exactly
    -3 dBFS."""
    x = signal - np.mean(signal)
    if drive > 0:
        x = np.tanh(drive * x / np.max(np.abs(x)))
    fin, fout = int(FADE_IN_S * RATE), int(FADE_OUT_S * RATE)
    x[:fin] *= 0.5 - 0.5 * np.cos(np.linspace(0, np.pi, fin))
    x[-fout:] *= 0.5 + 0.5 * np.cos(np.linspace(0, np.pi, fout))
    target = round(10 ** (PEAK_DBFS / 20) * 32768)
    samples = np.round(x * (target / np.max(np.abs(x))))
    return samples.astype("<i2")


def write_wav(path, samples):
    with wave.open(str(path), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(samples.tobytes())


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=str(Path(__file__).resolve().parent.parent / "data" / "Sons"))
    args = parser.parse_args()
    out = Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    for name, (make, drive) in CUES.items():
        write_wav(out / name, finish(make(), drive))


if __name__ == "__main__":
    main()
