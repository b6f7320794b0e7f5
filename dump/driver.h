// The dump after the input is open: header read, header report, size check and sample listing.
#pragma once

#include "dump/io.h"

namespace spectrum_dump {

// Reads the frame at the start of `input`, writes the report to `out` and the messages to `err`.
// Returns true when the header and every listed sample were read: the run's exit status.
[[nodiscard]] bool dump_frame(Input& input, Output& out, Output& err);

}  // namespace spectrum_dump
