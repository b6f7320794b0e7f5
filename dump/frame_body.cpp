#include "dump/frame_body.h"

#include <array>

namespace spectrum_dump {

void check_frame_size(const SpectrumFrameHeader& header, Output& err) {
  const ExactSize expected = expected_frame_size(header);
  if (ExactSize{header.frame_size} != expected) {
    std::array<char, ExactSize::kDecimalCapacity> digits{};
    err.print("Warning: frame_size ", header.frame_size, " != expected ",
              expected.to_decimal(digits), "\n");
  }
}

bool list_samples(Input& input, const SpectrumFrameHeader& header, Output& out, Output& err) {
  const std::uint64_t listed = sample_count_up_to(header, kMaxListedSamples);
  out.print("First ", listed, " spectrum samples:\n");
  for (std::uint64_t index = 0; index < listed; ++index) {
    std::array<std::byte, kSampleSize> bytes{};
    if (input.read(bytes) != bytes.size()) {
      err.print("Cannot read ", index, "\n");
      return false;
    }
    out.print("  [", index, "] = ", decode_sample(bytes), "\n");
  }
  return true;
}

}  // namespace spectrum_dump
