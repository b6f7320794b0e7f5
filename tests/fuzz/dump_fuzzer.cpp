// Fuzz target: arbitrary bytes as the content of spectrum.bin, run through the same stages as the
// tool with input and output in memory. Beyond "no crash", it checks the report against the
// header's own fields, with the expected figures worked out here independently of the frame
// library.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "dump/driver.h"
#include "frame/frame_format.h"
#include "tests/dump/memory_io.h"

namespace {

void require(bool condition, const char* what) {
  if (!condition) {
    (void)std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

std::uint64_t u64_at(const std::uint8_t* data, std::size_t offset) {
  std::uint64_t value = 0;
  for (std::size_t i = 8; i-- > 0;) {
    value = (value << 8) | data[offset + i];
  }
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  spectrum_dump::MemoryInput input(std::as_bytes(std::span(data, size)));
  std::string report;
  std::string messages;
  spectrum_dump::StringOutput out(report);
  spectrum_dump::StringOutput err(messages);
  const bool ok = spectrum_dump::dump_frame(input, out, err);

  if (size < 48) {
    require(!ok && report.empty() && messages == "Cannot read frame header\n", "short header");
    return 0;
  }
  std::uint64_t cells = 0;
  std::uint64_t bytes = 0;
  std::uint64_t expected = 0;
  const bool cells_overflow = __builtin_mul_overflow(u64_at(data, 24), u64_at(data, 32), &cells);
  const bool consistent = !cells_overflow && !__builtin_mul_overflow(cells, 4, &bytes) &&
                          !__builtin_add_overflow(bytes, 48, &expected) &&
                          expected == u64_at(data, 0);
  const std::uint64_t listed = cells_overflow || cells > 16 ? 16 : cells;
  const std::uint64_t present = (size - 48) / 4;

  std::ptrdiff_t header_lines = 0;  // one per field of the list the report prints
  const spectrum_dump::SpectrumFrameHeader any;
  spectrum_dump::for_each_header_field(any, [&](const auto&...) { ++header_lines; });
  require(ok == (present >= listed), "status is failure exactly when a sample read fell short");
  require(std::count(report.begin(), report.end(), '\n') ==
              header_lines + 1 + static_cast<std::ptrdiff_t>(ok ? listed : present),
          "header lines, heading, samples");
  require(report.find("\nFirst " + std::to_string(listed) + " spectrum samples:\n") !=
              std::string::npos,
          "heading names the capped count");
  require(messages.starts_with("Warning: frame_size ") == !consistent,
          "warning exactly when the sizes disagree");
  require(messages.ends_with("Cannot read " + std::to_string(present) + "\n") == !ok,
          "a short read names the first missing sample");
  require(std::count(messages.begin(), messages.end(), '\n') == (consistent ? 0 : 1) + (ok ? 0 : 1),
          "no other messages");
  return 0;
}
