// spectrum_dump: prints the header and the first samples of the frame in ./spectrum.bin.
// It takes no arguments and reads no environment. Its I/O is the C library's stdio, which starts
// at no cost, where the C++ stream library builds its streams and locale at every start.
#include <array>
#include <cstdio>
#include <memory>

#include "dump/driver.h"
#include "dump/frame_body.h"
#include "frame/frame_format.h"

namespace {

constexpr const char* kInputName = "spectrum.bin";

class FileInput final : public spectrum_dump::Input {
 public:
  explicit FileInput(std::FILE* file) : file_(file) {}
  // fread gathers short reads until the count or the end of the file.
  std::size_t read(std::span<std::byte> bytes) override {
    return std::fread(bytes.data(), 1, bytes.size(), file_);
  }

 private:
  std::FILE* file_;
};

// Write errors are not detected: a reader that goes away ends the tool through SIGPIPE, as it
// ends any filter, and otherwise the exit status tells what was read.
class FileOutput final : public spectrum_dump::Output {
 public:
  // Output is the buffer: the stream goes unbuffered in stdio, so each emit reaches the system at
  // once, in order with the other stream's, and is not copied again.
  explicit FileOutput(std::FILE* file, Output* tied = nullptr) : Output(tied), file_(file) {
    (void)std::setvbuf(file_, nullptr, _IONBF, 0);
  }
  ~FileOutput() { flush(); }

 private:
  void emit(std::string_view text) override {
    (void)std::fwrite(text.data(), 1, text.size(), file_);
  }

  std::FILE* file_;
};

struct CloseFile {
  void operator()(std::FILE* file) const { (void)std::fclose(file); }
};

}  // namespace

int main() {
  FileOutput out(stdout);
  FileOutput err(stderr, &out);
  // The header and the most samples listed: the read-ahead is no more than the report can use.
  // Declared before the file, so it outlives it.
  std::array<char, spectrum_dump::kFrameHeaderSize +
                       spectrum_dump::kMaxListedSamples * spectrum_dump::kSampleSize>
      read_buffer{};
  const std::unique_ptr<std::FILE, CloseFile> file(std::fopen(kInputName, "rb"));
  if (!file) {
    err.print("Cannot open: ", kInputName, "\n");
    return 1;
  }
  (void)std::setvbuf(file.get(), read_buffer.data(), _IOFBF, read_buffer.size());
  FileInput input(file.get());
  return spectrum_dump::dump_frame(input, out, err) ? 0 : 1;
}
