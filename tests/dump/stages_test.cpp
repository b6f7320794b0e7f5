#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "frame_body.h"

namespace {

// The listing line for a one-sample frame holding `value`.
std::string listed_line(float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  std::string payload;
  for (int shift = 0; shift < 32; shift += 8) {
    payload.push_back(static_cast<char>((bits >> shift) & 0xFFU));
  }
  std::istringstream input(payload);
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_TRUE(list_samples(input, {.range_size = 1, .doppler_size = 1}, out, err));
  EXPECT_EQ(err.str(), "");
  const std::string heading = "First 1 spectrum samples:\n  [0] = ";
  EXPECT_EQ(out.str().substr(0, heading.size()), heading);
  return out.str().substr(heading.size());
}

TEST(SampleFormat, IsGeneralNotationWithSixSignificantDigits) {
  struct Case {
    float value;
    const char* text;
  };
  const std::vector<Case> cases = {
      {0.5F, "0.5"},
      {0.1F, "0.1"},
      {12.25F, "12.25"},
      {3.0F, "3"},
      {0.0001F, "0.0001"},
      {1e-5F, "1e-05"},
      {1e6F, "1e+06"},
      {1.0F / 3.0F, "0.333333"},
      {1e-7F, "1e-07"},
      {-3.25F, "-3.25"},
      {0.0F, "0"},
      {-0.0F, "-0"},
      {123456.0F, "123456"},
      {1234567.0F, "1.23457e+06"},
      {999999.5F, "1e+06"},
      {0.00012345F, "0.00012345"},
      {3.4e38F, "3.4e+38"},
      {1e-45F, "1.4013e-45"},
      {std::numeric_limits<float>::infinity(), "inf"},
      {-std::numeric_limits<float>::infinity(), "-inf"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(listed_line(c.value), std::string(c.text) + "\n") << c.text;
  }
}

TEST(SampleFormat, SpellsNanAsAWord) {
  // The sign and payload of a NaN are spelled differently across platforms; the word is not.
  const auto line = listed_line(std::numeric_limits<float>::quiet_NaN());
  EXPECT_NE(line.find("nan"), std::string::npos) << line;
}

}  // namespace
