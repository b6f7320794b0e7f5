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
  const auto listed = static_cast<std::size_t>(sample_count_up_to(header, kMaxListedSamples));
  out.print("First ", listed, " spectrum samples:\n");
  // One request per sample, so each line shows as soon as its bytes arrive (a capture still
  // being written, a pipe), and nothing past the last listed sample is taken from the input.
  for (std::size_t index = 0; index < listed; ++index) {
    std::array<std::byte, kSampleSize> sample{};
    if (input.read(sample) != sample.size()) {
      err.print("Cannot read ", index, "\n");
      return false;
    }
    out.print("  [", index, "] = ", decode_sample(sample), "\n");
  }
  return true;
}

}  // namespace spectrum_dump
