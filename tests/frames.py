"""Spectrum frames built from field values: the one place the test side writes the header
layout, shared by the test fixtures, the bench and the example maker. They run as modules from
the source tree (python3 -B -m tests.dump.tool_test, -m bench.bench, -m examples.make_example).
"""
import struct

# The 48-byte header in file order, little-endian: each field's name, struct format and value in
# the worked example, a consistent frame of 2 x 3 cells. The padding is never read; its bytes here
# are CR LF, ^Z and NUL, so a text-mode read or a padding byte taken for data shows.
HEADER = [("frame_size", "Q", 72), ("radar_time_us", "Q", 500), ("azimuth_deg", "f", 12.5),
          ("padding", "4s", b"\r\n\x1a\0"), ("range_size", "Q", 2), ("doppler_size", "Q", 3),
          ("range_step_m", "f", 0.25), ("velocity_step_m_s", "f", 0.1)]
# The report's header lines, in order.
FIELDS = {name: value for name, _, value in HEADER if name != "padding"}
WORKED = [1.0, 0.5, -3.25, 1e-7, 0.0, 1 / 3]
SIXTEEN = [i / 2 for i in range(1, 17)]


def frame(samples=(), **fields):
    """A header from field values (the worked example's unless given), then the samples, each a
    float packed as little-endian binary32 or 4 raw bytes."""
    values = {name: value for name, _, value in HEADER}
    assert fields.keys() <= values.keys(), f"no such field: {fields.keys() - values.keys()}"
    values |= fields
    return (struct.pack("<" + "".join(f for _, f, _ in HEADER), *values.values()) +
            b"".join(s if isinstance(s, bytes) else struct.pack("<f", s) for s in samples))


# examples/spectrum.bin: the worked example with zero padding.
EXAMPLE = frame(WORKED, padding=bytes(4))
