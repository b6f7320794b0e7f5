"""Spectrum frames built from field values: the one place the test side writes the header
layout, shared by the process tests, the bench and the example maker. They run as modules from
the source tree (python3 -B -m tests.dump.tool_test, -m bench.bench, -m examples.make_example).

The 48-byte header is little-endian: frame_size and radar_time_us (u64), azimuth_deg (f32), four
padding bytes, range_size and doppler_size (u64), range_step_m and velocity_step_m_s (f32); the
binary32 samples follow it.
"""
import struct

# The worked example: a consistent frame of 2 x 3 cells and its six samples.
FIELDS = {"frame_size": 72, "radar_time_us": 500, "azimuth_deg": 12.5, "range_size": 2,
          "doppler_size": 3, "range_step_m": 0.25, "velocity_step_m_s": 0.1}
WORKED = [1.0, 0.5, -3.25, 1e-7, 0.0, 1 / 3]
SIXTEEN = [i / 2 for i in range(1, 17)]


def frame(samples=(), padding=b"\r\n\x1a\0", **fields):
    """A header from field values (the worked example's unless given), then the samples, each a
    float packed as little-endian binary32 or 4 raw bytes. The default padding holds CR LF, ^Z and
    NUL, so a text-mode read or a padding byte taken for data shows."""
    values = list((FIELDS | fields).values())
    return (struct.pack("<QQf", *values[:3]) + padding + struct.pack("<QQff", *values[3:]) +
            b"".join(s if isinstance(s, bytes) else struct.pack("<f", s) for s in samples))
