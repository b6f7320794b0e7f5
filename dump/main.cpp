// spectrum_dump: prints the header and the first samples of the frame in ./spectrum.bin.
// It takes no arguments, reads no environment and leaves the standard streams in their default
// state, so standard error stays tied to standard output and lines come out in program order.
#include <fstream>
#include <iostream>
#include <string>

#include "dump/driver.h"

int main() {
  const std::string file_name = "spectrum.bin";
  std::ifstream input(file_name, std::ios::binary);
  if (!input.is_open()) {
    std::cerr << "Cannot open: " << file_name << '\n';
    return 1;
  }
  return spectrum_dump::dump_frame(input, std::cout, std::cerr) ? 0 : 1;
}
