#include "dump/io.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/dump/memory_io.h"

namespace spectrum_dump {
namespace {

TEST(Output, TiedOutputFlushesItsTieFirstAndWritesAtOnce) {
  std::string both;
  StringOutput out(both);
  StringOutput err(both, &out);
  out.print("header\n");
  EXPECT_EQ(both, "");  // still buffered
  err.print("warning\n");
  EXPECT_EQ(both, "header\nwarning\n");
  out.print("listing\n");
  out.flush();
  EXPECT_EQ(both, "header\nwarning\nlisting\n");
}

TEST(Output, TextBeyondTheBufferArrivesWholeAndInOrder) {
  std::string text;
  StringOutput out(text);
  std::string expected;
  // Runs of short lines that fill the buffer many times over, each run ended by a line longer
  // than the whole buffer.
  for (std::uint64_t line = 0; line < 400; ++line) {
    const std::string filler(line % 100 == 99 ? 1500 : line % 50, 'x');
    out.print(line, " ", filler, "\n");
    expected += std::to_string(line) + " " + filler + "\n";
  }
  out.flush();
  EXPECT_EQ(text, expected);
}

}  // namespace
}  // namespace spectrum_dump
