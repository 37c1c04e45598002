"""The seven sound effects, synthesised: 44100 Hz, 16-bit, mono WAV."""

import math
import os
import random
import struct
import wave

RATE = 44100
PEAK = 0.7  # a little headroom: several sounds often play at once


def samples(seconds):
    return int(seconds * RATE)


def envelope(t, attack, decay):
    """Quick rise, then exponential fall with time constant `decay` (seconds)."""
    rise = min(1.0, t / attack) if attack > 0 else 1.0
    return rise * math.exp(-t / decay)


class Lowpass:
    """One-pole low-pass filter; `cutoff` may change from sample to sample."""

    def __init__(self):
        self.state = 0.0

    def step(self, x, cutoff):
        a = 1.0 - math.exp(-2.0 * math.pi * cutoff / RATE)
        self.state += a * (x - self.state)
        return self.state


def finish(signal):
    """Normalises to PEAK and fades the last 5 ms so no sound ends with a click."""
    top = max(1e-9, max(abs(v) for v in signal))
    fade = samples(0.005)
    n = len(signal)
    out = []
    for i, v in enumerate(signal):
        g = PEAK / top
        if i >= n - fade:
            g *= (n - 1 - i) / fade
        out.append(v * g)
    return out


def shot(seed=1):
    """pan: a short 'pew' on a soft thump."""
    rng = random.Random(seed)
    lp = Lowpass()
    out, phase, thump = [], 0.0, 0.0
    for i in range(samples(0.28)):
        t = i / RATE
        freq = 180.0 + 900.0 * math.exp(-t / 0.045)
        phase += 2.0 * math.pi * freq / RATE
        tone = (math.sin(phase) + 0.3 * math.sin(2.0 * phase)) * envelope(t, 0.002, 0.06)
        thump += 2.0 * math.pi * (55.0 + 60.0 * math.exp(-t / 0.03)) / RATE
        body = math.sin(thump) * envelope(t, 0.001, 0.05)
        hiss = lp.step(rng.uniform(-1.0, 1.0), 6000.0 * math.exp(-t / 0.03) + 300.0)
        out.append(0.55 * tone + 0.6 * body + 0.5 * hiss * envelope(t, 0.0005, 0.025))
    return finish(out)


def hit(seed=2):
    """touche: a bright metallic tink."""
    out = []
    partials = ((1760.0, 1.0, 0.07), (2640.0, 0.5, 0.05), (4190.0, 0.25, 0.03))
    for i in range(samples(0.16)):
        t = i / RATE
        v = sum(a * math.sin(2.0 * math.pi * f * t) * envelope(t, 0.001, d)
                for f, a, d in partials)
        out.append(v)
    return finish(out)


def hurt(seed=3):
    """mal: a short low groan, falling."""
    rng = random.Random(seed)
    lp = Lowpass()
    out, phase = [], 0.0
    length = 0.32
    for i in range(samples(length)):
        t = i / RATE
        freq = 190.0 - 80.0 * (t / length) + 6.0 * math.sin(2.0 * math.pi * 28.0 * t)
        phase += freq / RATE
        saw = 2.0 * (phase - math.floor(phase + 0.5))
        voiced = lp.step(saw + 0.15 * rng.uniform(-1.0, 1.0), 900.0)
        amp = min(1.0, t / 0.015) * (1.0 - t / length) ** 1.5
        out.append(voiced * amp)
    return finish(out)


def teleport(seed=4):
    """teleporteur: a shimmering sweep upwards."""
    out = []
    length = 0.7
    phases = [0.0, 0.0, 0.0]
    detune = (1.0, 1.006, 0.994)
    for i in range(samples(length)):
        t = i / RATE
        base = 220.0 * (2.0 ** (3.0 * t / length))
        v = 0.0
        for k in range(3):
            phases[k] += 2.0 * math.pi * base * detune[k] / RATE
            v += math.sin(phases[k]) + 0.25 * math.sin(3.0 * phases[k])
        shimmer = 0.6 + 0.4 * math.sin(2.0 * math.pi * 14.0 * t)
        amp = min(1.0, t / 0.08) * min(1.0, (length - t) / 0.25)
        out.append(v * shimmer * amp)
    return finish(out)


def door_motion(seed, rising):
    """ouvre / ferme: a motor hum with a pneumatic hiss; closing ends on a thud."""
    rng = random.Random(seed)
    lp = Lowpass()
    out, phase, thud = [], 0.0, 0.0
    length = 0.65
    for i in range(samples(length)):
        t = i / RATE
        u = t / length
        freq = (70.0 + 25.0 * u) if rising else (95.0 - 30.0 * u)
        phase += 2.0 * math.pi * freq / RATE
        hum = math.sin(phase) + 0.5 * math.sin(2.0 * phase) + 0.25 * math.sin(3.0 * phase)
        cutoff = (800.0 + 2500.0 * u) if rising else (3300.0 - 2500.0 * u)
        hiss = lp.step(rng.uniform(-1.0, 1.0), cutoff)
        amp = min(1.0, t / 0.04) * min(1.0, (length - t) / 0.12)
        v = (0.5 * hum + 0.8 * hiss) * amp
        if not rising and t > 0.48:
            ts = t - 0.48
            thud += 2.0 * math.pi * (50.0 + 40.0 * math.exp(-ts / 0.02)) / RATE
            v += 1.2 * math.sin(thud) * envelope(ts, 0.002, 0.05)
        out.append(v)
    return finish(out)


def door_open(seed=5):
    return door_motion(seed, True)


def door_close(seed=6):
    return door_motion(seed, False)


def health(seed=7):
    """caisse: a bright rising arpeggio, C E G C."""
    notes = (523.25, 659.25, 783.99, 1046.5)
    step = 0.075
    out = [0.0] * samples(step * len(notes) + 0.25)
    for n, f in enumerate(notes):
        start = samples(n * step)
        for i in range(len(out) - start):
            t = i / RATE
            v = (math.sin(2.0 * math.pi * f * t) + 0.3 * math.sin(4.0 * math.pi * f * t))
            out[start + i] += v * envelope(t, 0.003, 0.12)
    return finish(out)


SOUNDS = [
    ("pan.wav", shot),
    ("touche.wav", hit),
    ("mal.wav", hurt),
    ("teleporteur.wav", teleport),
    ("ouvre.wav", door_open),
    ("ferme.wav", door_close),
    ("caisse.wav", health),
]


def write_wav(path, signal):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    frames = b"".join(struct.pack("<h", max(-32767, min(32767, int(round(v * 32767.0)))))
                      for v in signal)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)
