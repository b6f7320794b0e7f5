"""Writes examples/spectrum.bin: the worked example, one consistent 2 x 3 frame of 72 bytes with
zero padding. Run from the source tree: python3 -B -m examples.make_example
"""
import os

from tests.frames import WORKED, frame

with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "spectrum.bin"), "wb") as f:
    f.write(frame(WORKED, padding=bytes(4)))
