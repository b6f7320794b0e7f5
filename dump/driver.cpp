#include "dump/driver.h"

#include <array>
#include <optional>
#include <string_view>

#include "dump/frame_body.h"
#include "frame/frame_format.h"

namespace spectrum_dump {
namespace {

std::optional<SpectrumFrameHeader> read_frame_header(Input& input, Output& err) {
  std::array<std::byte, kFrameHeaderSize> bytes{};
  if (input.read(bytes) != bytes.size()) {
    err.print("Cannot read frame header\n");
    return std::nullopt;
  }
  return decode_frame_header(bytes);
}

void print_header_report(const SpectrumFrameHeader& header, Output& out) {
  for_each_header_field(header, [&](std::string_view name, std::size_t, const auto& value) {
    out.print(name, ": ", value, "\n");
  });
}

}  // namespace

bool dump_frame(Input& input, Output& out, Output& err) {
  const auto header = read_frame_header(input, err);
  if (!header) {
    return false;
  }
  print_header_report(*header, out);
  check_frame_size(*header, err);
  return list_samples(input, *header, out, err);
}

}  // namespace spectrum_dump
