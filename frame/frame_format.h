// The spectrum frame format: a 48-byte little-endian header followed by one 4-byte float
// sample per cell of a range x Doppler grid. Pure data and decoding; no I/O.
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>

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

// An unsigned integer wide enough for every value a header implies, so the derived sizes are
// exact instead of wrapping: the largest, (2^64 - 1)^2 * 4 + 48, is below 2^130.
class ExactSize {
 public:
  constexpr ExactSize() = default;
  constexpr explicit ExactSize(std::uint64_t value)
      : limbs_{static_cast<std::uint32_t>(value), static_cast<std::uint32_t>(value >> 32)} {}

  // Empty when the value needs more than 64 bits.
  [[nodiscard]] std::optional<std::uint64_t> to_u64() const;
  [[nodiscard]] std::string to_decimal() const;

  friend ExactSize operator+(const ExactSize& lhs, const ExactSize& rhs);
  friend ExactSize operator*(const ExactSize& lhs, const ExactSize& rhs);
  friend std::strong_ordering operator<=>(const ExactSize& lhs, const ExactSize& rhs);
  friend bool operator==(const ExactSize&, const ExactSize&) = default;

 private:
  static constexpr std::size_t kLimbs = 5;  // 160 bits, least significant limb first
  std::array<std::uint32_t, kLimbs> limbs_{};
};

// range_size x doppler_size.
ExactSize sample_count(const SpectrumFrameHeader& header);
// sample_count x kSampleSize + kFrameHeaderSize. A frame is consistent when its frame_size is
// exactly this; larger is as wrong as smaller.
ExactSize expected_frame_size(const SpectrumFrameHeader& header);

}  // namespace spectrum_dump
