#include "frame_format.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace {

using HeaderBytes = std::array<std::byte, kFrameHeaderSize>;

// Byte i holds i + 1, so a wrong offset, a swapped field or a read padding byte changes a value.
HeaderBytes distinct_bytes() {
  HeaderBytes bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<std::byte>(i + 1);
  }
  return bytes;
}

TEST(DecodeFrameHeader, TakesEachFieldLittleEndianFromItsOffset) {
  const SpectrumFrameHeader expected{
      .frame_size = 0x0807060504030201,
      .radar_time_us = 0x100F0E0D0C0B0A09,
      .azimuth_deg = std::bit_cast<float>(std::uint32_t{0x14131211}),
      .range_size = 0x201F1E1D1C1B1A19,
      .doppler_size = 0x2827262524232221,
      .range_step_m = std::bit_cast<float>(std::uint32_t{0x2C2B2A29}),
      .velocity_step_m_s = std::bit_cast<float>(std::uint32_t{0x302F2E2D}),
  };
  EXPECT_EQ(decode_frame_header(distinct_bytes()), expected);
}

TEST(DecodeFrameHeader, IgnoresThePaddingBytes) {
  const auto reference = decode_frame_header(distinct_bytes());
  for (const std::uint32_t padding : {0x00000000U, 0xFFFFFFFFU, 0x001A0A0DU, 0x80000000U}) {
    auto bytes = distinct_bytes();
    for (std::size_t i = 0; i < 4; ++i) {
      bytes[20 + i] = static_cast<std::byte>(padding >> (8 * i));
    }
    EXPECT_EQ(decode_frame_header(bytes), reference) << std::hex << padding;
  }
}

constexpr std::uint64_t kMax = UINT64_MAX;
constexpr std::uint64_t k2to62 = std::uint64_t{1} << 62;

TEST(DerivedSizes, AreExactAndNeverWrap) {
  struct Case {
    std::uint64_t range_size;
    std::uint64_t doppler_size;
    std::string sample_count;
    std::string expected_frame_size;
  };
  const std::vector<Case> cases = {
      {0, 7, "0", "48"},
      {7, 0, "0", "48"},
      {3, 5, "15", "108"},
      {1280, 1, "1280", "5168"},
      {1'000'000'000, 1, "1000000000", "4000000048"},
      {1'000'000'000, 1'000'000'000, "1000000000000000000", "4000000000000000048"},
      {kMax, 1, "18446744073709551615", "73786976294838206508"},
      {k2to62 - 13, 1, "4611686018427387891", "18446744073709551612"},  // largest that fits
      {k2to62 - 12, 1, "4611686018427387892", "18446744073709551616"},  // 2^64 exactly
      {k2to62, 1, "4611686018427387904", "18446744073709551664"},
      {k2to62, 4, "18446744073709551616", "73786976294838206512"},
      {std::uint64_t{1} << 32, std::uint64_t{1} << 32, "18446744073709551616",
       "73786976294838206512"},
      {kMax, kMax, "340282366920938463426481119284349108225",
       "1361129467683753853705924477137396432948"},
  };
  for (const auto& c : cases) {
    const SpectrumFrameHeader header{.range_size = c.range_size, .doppler_size = c.doppler_size};
    const auto count = sample_count(header);
    const auto expected = expected_frame_size(header);
    EXPECT_EQ(count.to_decimal(), c.sample_count) << c.range_size << " x " << c.doppler_size;
    EXPECT_EQ(expected.to_decimal(), c.expected_frame_size)
        << c.range_size << " x " << c.doppler_size;
    // A value is offered as 64 bits exactly when its decimal form is no larger than 2^64 - 1.
    for (const auto& [value, text] :
         {std::pair{count, c.sample_count}, {expected, c.expected_frame_size}}) {
      const bool fits = text.size() < 20 || (text.size() == 20 && text <= "18446744073709551615");
      EXPECT_EQ(value.to_u64(), fits ? std::optional{std::stoull(text)} : std::nullopt) << text;
    }
  }
}

}  // namespace
