#include "frame/frame_format.h"

#include <algorithm>
#include <bit>
#include <concepts>

namespace spectrum_dump {
namespace {

// Assembles an unsigned integer from little-endian bytes by shifts, so the result does not
// depend on the host's byte order.
template <std::unsigned_integral T>
T load_le(std::span<const std::byte, sizeof(T)> bytes) {
  T value = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    value |= static_cast<T>(std::to_integer<T>(bytes[i]) << (8 * i));
  }
  return value;
}

float load_f32_le(std::span<const std::byte, 4> bytes) {
  return std::bit_cast<float>(load_le<std::uint32_t>(bytes));
}

}  // namespace

SpectrumFrameHeader decode_frame_header(std::span<const std::byte, kFrameHeaderSize> bytes) {
  return {
      .frame_size = load_le<std::uint64_t>(bytes.subspan<0, 8>()),
      .radar_time_us = load_le<std::uint64_t>(bytes.subspan<8, 8>()),
      .azimuth_deg = load_f32_le(bytes.subspan<16, 4>()),
      // Bytes 20 to 23 are alignment padding.
      .range_size = load_le<std::uint64_t>(bytes.subspan<24, 8>()),
      .doppler_size = load_le<std::uint64_t>(bytes.subspan<32, 8>()),
      .range_step_m = load_f32_le(bytes.subspan<40, 4>()),
      .velocity_step_m_s = load_f32_le(bytes.subspan<44, 4>()),
  };
}

SpectrumSample decode_sample(std::span<const std::byte, kSampleSize> bytes) {
  return load_f32_le(bytes);
}

std::uint64_t sample_count_up_to(const SpectrumFrameHeader& header, std::uint64_t limit) {
  return std::min(sample_count(header).to_u64().value_or(limit), limit);
}

}  // namespace spectrum_dump
