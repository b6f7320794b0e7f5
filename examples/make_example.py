"""Writes examples/spectrum.bin, the worked example of tests/frames.py. Run from the source tree:
python3 -B -m examples.make_example
"""
import os

from tests.frames import EXAMPLE

with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "spectrum.bin"), "wb") as f:
    f.write(EXAMPLE)
