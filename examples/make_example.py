#!/usr/bin/env python3
"""Writes spectrum.bin beside this script: one consistent 2 x 3 frame of 72 bytes.

The 48-byte header is little-endian: frame_size and radar_time_us (u64), azimuth_deg (f32),
four padding bytes, range_size and doppler_size (u64), range_step_m and velocity_step_m_s (f32);
the six binary32 samples follow it.
"""
import os
import struct

samples = [1.0, 0.5, -3.25, 1e-7, 0.0, 1 / 3]
header = struct.pack("<QQf4xQQff", 48 + 4 * len(samples), 500, 12.5, 2, 3, 0.25, 0.1)
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "spectrum.bin"), "wb") as f:
    f.write(header + struct.pack(f"<{len(samples)}f", *samples))
