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

std::optional<std::uint64_t> ExactSize::to_u64() const {
  if (std::any_of(limbs_.begin() + 2, limbs_.end(), [](std::uint32_t limb) { return limb != 0; })) {
    return std::nullopt;
  }
  return (std::uint64_t{limbs_[1]} << 32) | limbs_[0];
}

std::string ExactSize::to_decimal() const {
  // Long division by 10^9, most significant limb first: each remainder gives nine more digits,
  // least significant first. Dividing by 10 instead would take a pass per digit.
  constexpr std::uint32_t kNineDigits = 1'000'000'000;
  std::string digits;
  auto rest = limbs_;
  do {
    std::uint64_t remainder = 0;
    for (std::size_t i = kLimbs; i-- > 0;) {
      const std::uint64_t dividend = (remainder << 32) | rest[i];
      rest[i] = static_cast<std::uint32_t>(dividend / kNineDigits);
      remainder = dividend % kNineDigits;
    }
    for (int digit = 0; digit < 9; ++digit) {
      digits.push_back(static_cast<char>('0' + remainder % 10));
      remainder /= 10;
    }
  } while (rest != decltype(rest){});
  // The top chunk's leading zeros go; a lone zero stays.
  while (digits.size() > 1 && digits.back() == '0') {
    digits.pop_back();
  }
  std::reverse(digits.begin(), digits.end());
  return digits;
}

ExactSize operator+(const ExactSize& lhs, const ExactSize& rhs) {
  ExactSize sum;
  std::uint64_t carry = 0;
  for (std::size_t i = 0; i < ExactSize::kLimbs; ++i) {
    const std::uint64_t total = std::uint64_t{lhs.limbs_[i]} + rhs.limbs_[i] + carry;
    sum.limbs_[i] = static_cast<std::uint32_t>(total);
    carry = total >> 32;
  }
  return sum;
}

// Schoolbook multiplication over 32-bit limbs; each step fits in 64 bits because
// (2^32 - 1)^2 + 2 * (2^32 - 1) = 2^64 - 1. No header-derived value reaches past the top limb.
ExactSize operator*(const ExactSize& lhs, const ExactSize& rhs) {
  ExactSize product;
  for (std::size_t i = 0; i < ExactSize::kLimbs; ++i) {
    std::uint64_t carry = 0;
    for (std::size_t j = 0; i + j < ExactSize::kLimbs; ++j) {
      const std::uint64_t step =
          std::uint64_t{lhs.limbs_[i]} * rhs.limbs_[j] + product.limbs_[i + j] + carry;
      product.limbs_[i + j] = static_cast<std::uint32_t>(step);
      carry = step >> 32;
    }
  }
  return product;
}

// The most significant limb that differs decides.
std::strong_ordering operator<=>(const ExactSize& lhs, const ExactSize& rhs) {
  for (std::size_t i = ExactSize::kLimbs; i-- > 0;) {
    if (lhs.limbs_[i] != rhs.limbs_[i]) {
      return lhs.limbs_[i] <=> rhs.limbs_[i];
    }
  }
  return std::strong_ordering::equal;
}

ExactSize sample_count(const SpectrumFrameHeader& header) {
  return ExactSize{header.range_size} * ExactSize{header.doppler_size};
}

ExactSize expected_frame_size(const SpectrumFrameHeader& header) {
  return sample_count(header) * ExactSize{kSampleSize} + ExactSize{kFrameHeaderSize};
}

}  // namespace spectrum_dump
