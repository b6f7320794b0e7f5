#include "dump/io.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/dump/memory_io.h"

namespace spectrum_dump {
namespace {

// Keeps apart each piece it is handed.
class PieceOutput final : public Output {
 public:
  std::vector<std::string> pieces;

 private:
  void emit(std::string_view text) override { pieces.emplace_back(text); }
};

// An unbuffered stream writes each piece at once: a line in several would interleave with the
// other stream's in one pipe.
TEST(Output, EachLineIsHandedOnAsOnePieceWithItsNumbers) {
  PieceOutput out;
  out.print("Warning: frame_size ", std::uint64_t{18446744073709551615U}, " != expected ",
            "1361129467683753853705924477137396432948", "\n");
  out.print("  [", std::uint8_t{15}, "] = ", -1.17549435e-38F, "\n");
  out.print("channel ", std::uint16_t{65535}, " ", std::uint32_t{4294967295U}, "\n");
  EXPECT_EQ(out.pieces,
            (std::vector<std::string>{"Warning: frame_size 18446744073709551615 != expected "
                                      "1361129467683753853705924477137396432948\n",
                                      "  [15] = -1.17549e-38\n", "channel 65535 4294967295\n"}));
}

TEST(Output, TextBeyondTheBufferArrivesWholeAndInOrder) {
  std::string text;
  StringOutput out(text);
  std::string expected;
  // Runs of lines of every length up to past the buffer's, a few far longer than it.
  for (std::size_t line = 0; line < 400; ++line) {
    const std::string filler(line % 100 == 99 ? 1500 : line % 200, 'x');
    out.print(line, " ", filler, "\n");
    expected += std::to_string(line) + " " + filler + "\n";
  }
  EXPECT_EQ(text, expected);
}

}  // namespace
}  // namespace spectrum_dump
