#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Makes the program's four wave files in resources/.

menupop.wav  a number was accepted: a short bright blip (about 80 ms)
nophoto.wav  a number was accepted that has no photo in the photo folder:
             two low, falling tones (about 160 ms), unlike the blip
chimes.wav   a person was closed: a rising three-note chime (about 400 ms)
tap.wav      a digit or minus key: a very short click (about 25 ms)

All are 16-bit PCM, mono, 22050 Hz. The output is the same on every run, so
the files in the repository can be checked against this script.
"""

import math
import os
import wave

RATE = 22050
FULL_SCALE = 32767


def envelope(t, attack, decay):
    """A fast linear attack, then an exponential decay with time constant decay."""
    if t < attack:
        return t / attack
    return math.exp(-(t - attack) / decay)


def blip(duration=0.080):
    """A bright tone that rises slightly in pitch, with a soft octave above."""
    samples = []
    phase = 0.0
    for n in range(int(RATE * duration)):
        t = n / RATE
        freq = 1400.0 + 500.0 * (t / duration)
        phase += 2 * math.pi * freq / RATE
        tone = math.sin(phase) + 0.3 * math.sin(2 * phase)
        fade_out = min(1.0, (duration - t) / 0.010)  # no click at the end
        samples.append(0.45 * tone * envelope(t, 0.003, 0.030) * fade_out)
    return samples


def double_low(duration=0.160):
    """Two short low tones, the second lower: heard at once as "look again"."""
    tones = [(0.000, 0.065, 620.0), (0.085, 0.150, 470.0)]
    samples = []
    for n in range(int(RATE * duration)):
        t = n / RATE
        value = 0.0
        for start, end, freq in tones:
            if start <= t < end:
                u = t - start
                edge = min(1.0, u / 0.004, (end - t) / 0.006)  # no clicks at either end
                value += edge * (math.sin(2 * math.pi * freq * u)
                                 + 0.25 * math.sin(2 * math.pi * 3 * freq * u))
        samples.append(0.5 * value)
    return samples


def chime(duration=0.400):
    """Three bell-like notes (C6, E6, G6) struck one after another and left to ring."""
    notes = [(0.000, 1046.5), (0.090, 1318.5), (0.180, 1568.0)]
    samples = []
    for n in range(int(RATE * duration)):
        t = n / RATE
        value = 0.0
        for start, freq in notes:
            if t < start:
                continue
            u = t - start
            # A bell: the fundamental and two inharmonic partials that die sooner.
            bell = (math.sin(2 * math.pi * freq * u)
                    + 0.35 * math.sin(2 * math.pi * freq * 2.76 * u) * math.exp(-u / 0.05)
                    + 0.15 * math.sin(2 * math.pi * freq * 5.40 * u) * math.exp(-u / 0.03))
            value += bell * envelope(u, 0.002, 0.110)
        fade_out = min(1.0, (duration - t) / 0.030)
        samples.append(0.28 * value * fade_out)
    return samples


def click(duration=0.025):
    """A short knock: two high partials and a low thump, gone in a few milliseconds."""
    samples = []
    for n in range(int(RATE * duration)):
        t = n / RATE
        value = (math.sin(2 * math.pi * 2900.0 * t)
                 + 0.6 * math.sin(2 * math.pi * 4700.0 * t)
                 + 0.8 * math.sin(2 * math.pi * 420.0 * t))
        fade_out = min(1.0, (duration - t) / 0.004)
        samples.append(0.35 * value * envelope(t, 0.0005, 0.004) * fade_out)
    return samples


def write_wave(path, samples):
    frames = bytearray()
    for value in samples:
        value = max(-1.0, min(1.0, value))
        frames += int(round(value * FULL_SCALE)).to_bytes(2, "little", signed=True)
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(bytes(frames))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    resources = os.path.join(here, os.pardir, "resources")
    os.makedirs(resources, exist_ok=True)
    for name, samples in (("menupop.wav", blip()), ("chimes.wav", chime()),
                          ("tap.wav", click()), ("nophoto.wav", double_low())):
        peak = max(abs(v) for v in samples)
        if peak > 1.0:
            raise SystemExit(f"{name}: peak {peak:.2f} would clip")
        write_wave(os.path.join(resources, name), samples)
        print(f"{name}: {len(samples) / RATE * 1000:.0f} ms, peak {peak:.2f}")


if __name__ == "__main__":
    main()
