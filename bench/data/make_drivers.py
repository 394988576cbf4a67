#!/usr/bin/env python3
"""Writes woofer-4.5in.frd and tweeter-1in.frd: a 4.5" woofer in a closed box and a 1" dome,
modelled as analogue responses with what real on-axis measurements carry (baffle step, cone
breakup, the edge diffraction echo that ripples level and phase together, the dome's resonance),
at 1/48-octave points, with the header lines and blank lines that measurement programs export.
The fitter's benchmark reads them: bench_tune bench/data/woofer-4.5in.frd bench/data/tweeter-1in.frd
"""
import cmath
import math
import os


def s(f, f0):
    return 1j * f / f0


def hp2(f, f0, q):
    x = s(f, f0)
    return x * x / (x * x + x / q + 1)


def lp2(f, f0, q):
    x = s(f, f0)
    return 1 / (x * x + x / q + 1)


def lp1(f, f0):
    return 1 / (s(f, f0) + 1)


def peak(f, f0, q, db):
    x = s(f, f0)
    a = 10 ** (db / 40)
    return (x * x + x * a / q + 1) / (x * x + x / (a * q) + 1)


def late(f, seconds):
    return cmath.exp(-2j * math.pi * f * seconds)


def echo(f, gain, seconds):
    # The baffle edge's diffracted copy, late and inverted: not minimum phase, as in a room.
    return 1 - gain * late(f, seconds)


def woofer(f):
    return (hp2(f, 78, 0.8) * peak(f, 95, 1.5, 1.0) * (1 + s(f, 480)) / (1 + s(f, 960)) * 0.5
            * echo(f, 0.12, 0.00035) * peak(f, 1900, 4.0, 1.2) * peak(f, 3300, 6.0, -1.8)
            * lp1(f, 4200) * peak(f, 6800, 7.0, 9.0) * lp2(f, 8500, 0.55) * late(f, 0.0029 + 0.000075))


def tweeter(f):
    return (1.25 * hp2(f, 780, 1.1) * (s(f, 420) / (s(f, 420) + 1))
            * echo(f, 0.16, 0.00022) * peak(f, 2600, 2.5, 1.2) * peak(f, 11500, 3.0, -1.5)
            * peak(f, 21000, 3.0, 4.0) * lp2(f, 30000, 0.7) * late(f, 0.0029))


def write(path, driver, header, blank_every):
    with open(path, "w", newline="\n") as out:
        out.write(header)
        f, n = 20.0, 0
        while f <= 20000.0 * 1.0001:
            h = driver(f)
            out.write("%.3f\t%.2f\t%.2f\n" % (f, 88.0 + 20 * math.log10(abs(h)), math.degrees(cmath.phase(h))))
            n += 1
            if blank_every and n % blank_every == 0:
                out.write("\n")
            f *= 2 ** (1 / 48)


here = os.path.dirname(os.path.abspath(__file__))
write(os.path.join(here, "woofer-4.5in.frd"), woofer,
      "* Modelled 4.5\" woofer, closed box, on axis at 1 m, 2.83 V; time of flight kept\n* Freq(Hz) SPL(dB) Phase(degrees)\n\n", 0)
write(os.path.join(here, "tweeter-1in.frd"), tweeter,
      "\"Modelled 1\" dome tweeter, on axis at 1 m, 2.83 V; time of flight kept\"\n\nFrequency [Hz]\tMagnitude [dB]\tPhase [deg]\n",
      120)
