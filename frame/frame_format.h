// The spectrum frame format: a 48-byte little-endian header followed by one 4-byte float
// sample per cell of a range x Doppler grid. Pure data and decoding; no I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>

#include "frame/exact_size.h"

namespace spectrum_dump {

inline constexpr std::size_t kFrameHeaderSize = 48;
inline constexpr std::size_t kSampleSize = 4;

// One spectrum sample: an IEEE-754 binary32 value, stored little-endian.
using SpectrumSample = float;
static_assert(std::numeric_limits<SpectrumSample>::is_iec559 &&
                  sizeof(SpectrumSample) == kSampleSize,
              "samples are decoded as IEEE-754 binary32");

// The decoded frame header. On disk the fields sit at offsets 0, 8, 16, 24, 32, 40 and 44,
// with four bytes of alignment padding at offset 20 that carry no meaning and are not kept.
struct SpectrumFrameHeader {
  std::uint64_t frame_size = 0;  // whole frame in bytes, header included
  std::uint64_t radar_time_us = 0;
  float azimuth_deg = 0.0F;
  std::uint64_t range_size = 0;    // range cells
  std::uint64_t doppler_size = 0;  // Doppler cells
  float range_step_m = 0.0F;
  float velocity_step_m_s = 0.0F;

  friend bool operator==(const SpectrumFrameHeader&, const SpectrumFrameHeader&) = default;
};

SpectrumFrameHeader decode_frame_header(std::span<const std::byte, kFrameHeaderSize> bytes);
SpectrumSample decode_sample(std::span<const std::byte, kSampleSize> bytes);

// range_size x doppler_size.
constexpr ExactSize sample_count(const SpectrumFrameHeader& header) {
  return ExactSize{header.range_size} * ExactSize{header.doppler_size};
}

// sample_count x kSampleSize + kFrameHeaderSize. A frame is consistent when its frame_size is
// exactly this; larger is as wrong as smaller.
constexpr ExactSize expected_frame_size(const SpectrumFrameHeader& header) {
  return sample_count(header) * ExactSize{kSampleSize} + ExactSize{kFrameHeaderSize};
}

// The samples a listing of at most `limit` shows: sample_count, capped before anything is read,
// since a header may promise far more samples than any file holds.
std::uint64_t sample_count_up_to(const SpectrumFrameHeader& header, std::uint64_t limit);

}  // namespace spectrum_dump
