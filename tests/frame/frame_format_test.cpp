#include "frame/frame_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace spectrum_dump {
namespace {

TEST(DecodeFrameHeader, TakesEachFieldLittleEndianFromItsOffsetAndSkipsThePadding) {
  // Byte i holds i + 1, so a wrong offset, a swapped field or a read padding byte shows.
  std::array<std::byte, kFrameHeaderSize> bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<std::byte>(i + 1);
  }
  const SpectrumFrameHeader expected{
      .frame_size = 0x0807060504030201,
      .radar_time_us = 0x100F0E0D0C0B0A09,
      .azimuth_deg = std::bit_cast<float>(std::uint32_t{0x14131211}),
      .range_size = 0x201F1E1D1C1B1A19,
      .doppler_size = 0x2827262524232221,
      .range_step_m = std::bit_cast<float>(std::uint32_t{0x2C2B2A29}),
      .velocity_step_m_s = std::bit_cast<float>(std::uint32_t{0x302F2E2D}),
  };
  for (const auto padding : {std::byte{0x15}, std::byte{0x00}, std::byte{0xFF}, std::byte{0x1A}}) {
    std::fill_n(bytes.begin() + 20, 4, padding);
    EXPECT_EQ(decode_frame_header(bytes), expected) << std::to_integer<int>(padding);
  }
}

// The derived sizes in a constant expression: exact where 64 bits would wrap, and the largest
// header's compiles, so no carry reaches past the top limb.
constexpr std::uint64_t kMax = UINT64_MAX;
constexpr std::uint64_t k2to62 = std::uint64_t{1} << 62;
static_assert(expected_frame_size({.range_size = 3, .doppler_size = 5}) == ExactSize{108});
static_assert(!expected_frame_size({.range_size = k2to62, .doppler_size = 4}).to_u64());
static_assert(!expected_frame_size({.range_size = kMax, .doppler_size = kMax}).to_u64());

TEST(DerivedSizes, AreExactAndNeverWrap) {
  // range_size, doppler_size, sample_count, expected_frame_size, at most 16 of the samples
  const std::vector<
      std::tuple<std::uint64_t, std::uint64_t, std::string, std::string, std::uint64_t>>
      cases = {
          {0, 7, "0", "48", 0},
          {7, 0, "0", "48", 0},
          {3, 5, "15", "108", 15},
          {4, 4, "16", "112", 16},
          {17, 1, "17", "116", 16},
          {1'000'000'000, 1, "1000000000", "4000000048", 16},
          {1'000'000'000, 1'000'000'000, "1000000000000000000", "4000000000000000048", 16},
          {kMax, 1, "18446744073709551615", "73786976294838206508", 16},
          {k2to62 - 13, 1, "4611686018427387891", "18446744073709551612", 16},  // largest that fits
          {k2to62 - 12, 1, "4611686018427387892", "18446744073709551616", 16},  // 2^64 exactly
          {k2to62, 1, "4611686018427387904", "18446744073709551664", 16},
          {k2to62, 4, "18446744073709551616", "73786976294838206512", 16},
          {std::uint64_t{1} << 32, std::uint64_t{1} << 32, "18446744073709551616",
           "73786976294838206512", 16},
          {kMax, kMax, "340282366920938463426481119284349108225",
           "1361129467683753853705924477137396432948", 16},
      };
  for (const auto& [range_size, doppler_size, count, size, listed] : cases) {
    const SpectrumFrameHeader header{.range_size = range_size, .doppler_size = doppler_size};
    EXPECT_EQ(sample_count_up_to(header, 16), listed) << range_size << " x " << doppler_size;
    for (const auto& [value, text] :
         {std::pair{sample_count(header), count}, {expected_frame_size(header), size}}) {
      std::array<char, ExactSize::kDecimalCapacity> digits{};
      EXPECT_EQ(value.to_decimal(digits), text) << range_size << " x " << doppler_size;
      // Offered as 64 bits exactly when the value is at most 2^64 - 1.
      const bool fits = text.size() < 20 || (text.size() == 20 && text <= "18446744073709551615");
      EXPECT_EQ(value.to_u64() ? std::to_string(*value.to_u64()) : "none", fits ? text : "none");
    }
  }
}

TEST(ExactSize, HasRoomForTheDigitsOfItsLargestValues) {
  std::array<char, ExactSize::kDecimalCapacity> digits{};
  const ExactSize max{kMax};
  EXPECT_EQ((max * max * ExactSize{std::uint64_t{1} << 32}).to_decimal(digits),
            "1461501637330902918045228507687754344473139609600");  // 2^160 - 2^97 + 2^32
}

#if GTEST_HAS_DEATH_TEST && !defined(_WIN32)
TEST(ExactSizeDeathTest, StopsRatherThanWrapPastItsTopLimb) {
  const ExactSize max{kMax};
  const ExactSize just_below_2to160 = max * max * ExactSize{std::uint64_t{1} << 32};
  const ExactSize two_to_128 =
      ExactSize{std::uint64_t{1} << 63} * ExactSize{std::uint64_t{1} << 63} * ExactSize{4};
  EXPECT_DEATH((void)(just_below_2to160 + just_below_2to160), "");
  EXPECT_DEATH((void)(max * max * max), "");
  // Past the top limb only by a row's last carry, and only in the product's top limbs.
  EXPECT_DEATH((void)(ExactSize{UINT32_MAX} * just_below_2to160), "");
  EXPECT_DEATH((void)(two_to_128 * two_to_128), "");
}
#endif

}  // namespace
}  // namespace spectrum_dump
