#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Where the reflection-coefficient ground may stand for Sommerfeld's.

Run by hand (it takes a few minutes): for a few designs, three grounds and heights from
0.05 to 1 wavelength, solves each beam with nec2c over the ground in both of NEC-2's models
(GN 0, reflection coefficients; GN 2, Sommerfeld-Norton) at the same segmentation, and prints
the differences in the feed and in the gain at the takeoff angle, then, for each ground, the
lowest height from which every design and every height above it stays within 0.5 ohm and
0.1 dB. Needs zeva-sheet (built) and nec2c: NEC2C names the program. Debian's nec2c 1.3
lets the series branch of Sommerfeld's attenuation function (fbar) fall through to the
asymptotic one, which upsets GN 2 for some pairs of segments at low angles (the 23-element
boom near the ground); build nec2c from a source that returns from that branch, as NEC-2
does and as the engine does, and point NEC2C at it.

    NEC2C=/path/to/fixed/nec2c scripts/ground_models.py build/dev/cli/zeva-sheet
"""
import os
import re
import subprocess
import sys
import tempfile

DESIGNS = [
    ("-e", "2", "-f", "7.1", "-d", "2in"),
    ("-e", "3", "-f", "14.2", "-d", "1in"),
    ("-e", "4", "-f", "28.5", "-d", "1/2"),
    ("-e", "multi", "-f", "144", "-d", "1/4"),
]
GROUNDS = {"poor": (5, 0.001), "average": (13, 0.005), "good": (20, 0.03)}
HEIGHTS = [0.05, 0.075, 0.1, 0.125, 0.15, 0.2, 0.25, 0.3, 0.4, 0.5, 0.75, 1.0]
PER_WAVELENGTH = 100
OHMS, DB = 0.5, 0.1
SPEED = 299.8  # nec2c's, metres per microsecond
NEC2C = os.environ.get("NEC2C", "nec2c")


def free_space_deck(zeva, design):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "d.nec")
        subprocess.run([zeva, *design, "--nec", path], check=True, stdout=subprocess.DEVNULL)
        with open(path) as f:
            return f.read()


def placed(deck, frequency, height, ground, model):
    wavelength = SPEED / frequency
    cards = []
    for line in deck.splitlines():
        if line.startswith("GW"):
            f = line.split()
            x1, y1, x2, y2, radius = float(f[3]), float(f[4]), float(f[6]), float(f[7]), f[9]
            length = ((x2 - x1) ** 2 + (y2 - y1) ** 2) ** 0.5
            segments = max(3, round(PER_WAVELENGTH * length / wavelength) | 1)
            z = height * wavelength
            cards.append(f"GW {f[1]} {segments} {x1} {y1} {z} {x2} {y2} {z} {radius}")
        elif line.startswith("EX"):
            f = line.split()
            wire = int(f[2])
            cards.append(("EX", wire))
        elif line.startswith(("CM", "CE", "GE", "EK")):
            cards.append(line)
    out = []
    counts = {}
    for c in cards:
        if isinstance(c, str) and c.startswith("GW"):
            counts[int(c.split()[1])] = int(c.split()[2])
    for c in cards:
        if isinstance(c, tuple):
            wire = c[1]
            out.append(f"EX 0 {wire} {counts[wire] // 2 + 1} 0 1 0")
        elif c.startswith("GE"):
            out.append("GE 1")
            eps, sigma = GROUNDS[ground]
            out.append(f"GN {model} 0 0 0 {eps} {sigma}")
        else:
            out.append(c)
    out.append(f"FR 0 1 0 0 {frequency} 0")
    out.append("RP 0 361 1 1000 0 0 0.25 0")
    out.append("EN")
    return "\n".join(out) + "\n"


def solve(deck):
    with tempfile.TemporaryDirectory() as folder:
        src, dst = os.path.join(folder, "d.nec"), os.path.join(folder, "d.out")
        with open(src, "w") as f:
            f.write(deck)
        subprocess.run([NEC2C, "-i", src, "-o", dst], check=True, stdout=subprocess.DEVNULL)
        text = open(dst).read()
    feed = re.search(r"ANTENNA INPUT PARAMETERS.*?\n.*?\n.*?\n\s*\d+\s+\d+(.*)", text, re.S)
    values = feed.group(1).split()
    resistance, reactance = float(values[4]), float(values[5])
    gains = []
    for line in text.split("RADIATION PATTERNS")[1].splitlines():
        f = line.split()
        if len(f) >= 7 and re.match(r"^-?\d+\.\d+$", f[0]) and re.match(r"^-?\d+\.\d+$", f[4]):
            gains.append((float(f[4]), 90 - float(f[0])))
    gain, takeoff = max(gains)
    return resistance, reactance, gain, takeoff


def main():
    zeva = sys.argv[1] if len(sys.argv) > 1 else "zeva-sheet"
    worst = {g: {} for g in GROUNDS}
    print("design | ground | height λ | R, X reflection | R, X Sommerfeld | ΔR, ΔX ohm | "
          "gain reflection, Sommerfeld dBi | Δ dB | takeoff °")
    for design in DESIGNS:
        frequency = float(design[design.index("-f") + 1])
        deck = free_space_deck(zeva, design)
        for ground in GROUNDS:
            for height in HEIGHTS:
                r0, x0, g0, t0 = solve(placed(deck, frequency, height, ground, 0))
                r2, x2, g2, t2 = solve(placed(deck, frequency, height, ground, 2))
                dz, dg = max(abs(r2 - r0), abs(x2 - x0)), abs(g2 - g0)
                within = dz <= OHMS and dg <= DB
                worst[ground][height] = worst[ground].get(height, True) and within
                print(f"{' '.join(design)} | {ground} | {height} | {r0:.2f}, {x0:.2f} | "
                      f"{r2:.2f}, {x2:.2f} | {r2 - r0:+.2f}, {x2 - x0:+.2f} | {g0:.2f}, {g2:.2f} | "
                      f"{g2 - g0:+.2f} | {t0:.1f}, {t2:.1f}", flush=True)
    for ground, by_height in worst.items():
        holds = None
        for height in sorted(by_height, reverse=True):
            if not by_height[height]:
                break
            holds = height
        print(f"{ground}: the reflection coefficient holds within {OHMS} ohm and {DB} dB "
              f"from {holds} wavelength up")


if __name__ == "__main__":
    main()
