// An unsigned integer wide enough for every size a frame header implies, so the derived sizes are
// exact instead of wrapping at 64 bits: the largest, (2^64 - 1)^2 * 4 + 48, is below 2^130.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace spectrum_dump {

class ExactSize {
 public:
  constexpr ExactSize() = default;
  constexpr explicit ExactSize(std::uint64_t value)
      : limbs_{static_cast<std::uint32_t>(value), static_cast<std::uint32_t>(value >> 32)} {}

  // Empty when the value needs more than 64 bits.
  [[nodiscard]] constexpr std::optional<std::uint64_t> to_u64() const {
    for (std::size_t i = 2; i < kLimbs; ++i) {
      if (limbs_[i] != 0) {
        return std::nullopt;
      }
    }
    return (std::uint64_t{limbs_[1]} << 32) | limbs_[0];
  }

  // Room for the decimal digits of any value: six chunks of nine (2^160 - 1 has 49 digits).
  static constexpr std::size_t kDecimalCapacity = 54;
  // Writes the value in decimal into `buffer` and returns the digits, without leading zeros.
  [[nodiscard]] std::string_view to_decimal(std::span<char, kDecimalCapacity> buffer) const;

  // Sums and products are exact. One that needs more than the top limb cannot come from a header;
  // it stops the program instead of wrapping (and fails to compile in a constant expression).
  friend constexpr ExactSize operator+(const ExactSize& lhs, const ExactSize& rhs) {
    ExactSize sum;
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < kLimbs; ++i) {
      const std::uint64_t total = std::uint64_t{lhs.limbs_[i]} + rhs.limbs_[i] + carry;
      sum.limbs_[i] = static_cast<std::uint32_t>(total);
      carry = total >> 32;
    }
    if (carry != 0) {
      too_large();
    }
    return sum;
  }

  // Schoolbook multiplication into twice the limbs; each step fits in 64 bits because
  // (2^32 - 1)^2 + 2 * (2^32 - 1) = 2^64 - 1.
  friend constexpr ExactSize operator*(const ExactSize& lhs, const ExactSize& rhs) {
    std::array<std::uint32_t, 2 * kLimbs> wide{};
    for (std::size_t i = 0; i < kLimbs; ++i) {
      std::uint64_t carry = 0;
      for (std::size_t j = 0; j < kLimbs; ++j) {
        const std::uint64_t step =
            std::uint64_t{lhs.limbs_[i]} * rhs.limbs_[j] + wide[i + j] + carry;
        wide[i + j] = static_cast<std::uint32_t>(step);
        carry = step >> 32;
      }
      wide[i + kLimbs] = static_cast<std::uint32_t>(carry);
    }
    ExactSize product;
    for (std::size_t i = 0; i < 2 * kLimbs; ++i) {
      if (i < kLimbs) {
        product.limbs_[i] = wide[i];
      } else if (wide[i] != 0) {
        too_large();
      }
    }
    return product;
  }

  friend constexpr bool operator==(const ExactSize&, const ExactSize&) = default;

 private:
  static constexpr std::size_t kLimbs = 5;  // 160 bits, least significant limb first

  [[noreturn]] static void too_large();

  std::array<std::uint32_t, kLimbs> limbs_{};
};

}  // namespace spectrum_dump
