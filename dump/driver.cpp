#include "dump/driver.h"

#include <array>
#include <optional>

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
  out.print("frame_size: ", header.frame_size, "\n");
  out.print("radar_time_us: ", header.radar_time_us, "\n");
  out.print("azimuth_deg: ", header.azimuth_deg, "\n");
  out.print("range_size: ", header.range_size, "\n");
  out.print("doppler_size: ", header.doppler_size, "\n");
  out.print("range_step_m: ", header.range_step_m, "\n");
  out.print("velocity_step_m_s: ", header.velocity_step_m_s, "\n");
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
