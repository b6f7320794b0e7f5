// The frame body stage: the size check and the sample listing that follow the header report.
#pragma once

#include <cstddef>

#include "dump/io.h"
#include "frame/frame_format.h"

namespace spectrum_dump {

inline constexpr std::size_t kMaxListedSamples = 16;

// Warns on `err` when frame_size is not the size the header's dimensions imply.
void check_frame_size(const SpectrumFrameHeader& header, Output& err);

// Lists the first samples of the payload, `input` being positioned just past the header.
// Returns false, after naming the sample on `err`, when one cannot be read in full.
[[nodiscard]] bool list_samples(Input& input, const SpectrumFrameHeader& header, Output& out,
                                Output& err);

}  // namespace spectrum_dump
