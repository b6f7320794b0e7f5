#!/usr/bin/env python3
"""Writes the fuzzing seed corpus, built from field values, into the directory given.

usage: make_corpus.py DIRECTORY
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "dump"))
from tool_test import MAX, SIXTEEN, TWO_62, WORKED, frame  # noqa: E402

SEEDS = {
    "worked-example": frame(samples=WORKED),
    "bare-header": frame(frame_size=48, range_size=0),
    "short-header": frame()[:30],
    "cut-payload": frame(frame_size=112, range_size=4, doppler_size=4, samples=SIXTEEN)[:70],
    "twenty-by-sixty-four": frame(frame_size=5168, range_size=20, doppler_size=64, samples=SIXTEEN),
    "inconsistent": frame(frame_size=100, range_size=4, doppler_size=4, samples=SIXTEEN),
    "count-past-64-bits": frame(frame_size=48, range_size=TWO_62, doppler_size=4),
    "size-past-64-bits": frame(frame_size=48, range_size=TWO_62, doppler_size=1),
    "largest-dimensions": frame(frame_size=MAX, range_size=MAX, doppler_size=MAX, samples=SIXTEEN),
    "infinities": frame(range_size=1, doppler_size=2, samples=[float("inf"), float("-inf")]),
}

directory = sys.argv[1]
os.makedirs(directory, exist_ok=True)
for name, content in SEEDS.items():
    with open(os.path.join(directory, name), "wb") as f:
        f.write(content)
print(f"{len(SEEDS)} seeds written to {directory}")
