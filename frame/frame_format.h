// The spectrum frame format: a 48-byte little-endian header followed by one 4-byte float
// sample per cell of a range x Doppler grid. Pure data and decoding; no I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string_view>

#include "frame/exact_size.h"

namespace spectrum_dump {

inline constexpr std::size_t kFrameHeaderSize = 48;
inline constexpr std::size_t kSampleSize = 4;

// One spectrum sample: an IEEE-754 binary32 value, stored little-endian.
using SpectrumSample = float;
static_assert(std::numeric_limits<SpectrumSample>::is_iec559 &&
                  sizeof(SpectrumSample) == kSampleSize,
              "samples are decoded as IEEE-754 binary32");

// The decoded frame header; for_each_header_field gives each field's name and offset on disk.
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

// Calls visit(name, offset, field) for each field of `header` in file order, `field` being a
// reference to the member. The one list of the fields: decoding fills them through it and the
// report prints them from it. Bytes 20 to 23 are alignment padding: no meaning, not kept.
template <typename Header, typename Visit>
constexpr void for_each_header_field(Header& header, Visit visit) {
  using Name = std::string_view;
  visit(Name{"frame_size"}, std::size_t{0}, header.frame_size);
  visit(Name{"radar_time_us"}, std::size_t{8}, header.radar_time_us);
  visit(Name{"azimuth_deg"}, std::size_t{16}, header.azimuth_deg);
  visit(Name{"range_size"}, std::size_t{24}, header.range_size);
  visit(Name{"doppler_size"}, std::size_t{32}, header.doppler_size);
  visit(Name{"range_step_m"}, std::size_t{40}, header.range_step_m);
  visit(Name{"velocity_step_m_s"}, std::size_t{44}, header.velocity_step_m_s);
}

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
