// spectrum_dump: prints the header and the first samples of the frame in ./spectrum.bin.
// It takes no arguments and reads no environment. Its I/O is the C library's stdio, which starts
// at no cost, where the C++ stream library builds its streams and locale at every start.
#include <cstdio>
#include <memory>

#include "dump/driver.h"

namespace {

constexpr const char* kInputName = "spectrum.bin";

class FileInput final : public spectrum_dump::Input {
 public:
  // Unbuffered, so each read asks the system for exactly what the stages want: nothing past the
  // last listed sample leaves the file, which matters when it is a pipe with another reader.
  explicit FileInput(std::FILE* file) : file_(file) {
    (void)std::setvbuf(file_, nullptr, _IONBF, 0);
  }
  // fread gathers short reads until the count or the end of the file.
  std::size_t read(std::span<std::byte> bytes) override {
    return std::fread(bytes.data(), 1, bytes.size(), file_);
  }

 private:
  std::FILE* file_;
};

// A standard stream, buffered as stdio buffers it by default: standard output line by line on a
// terminal, so lines show as they are written, and in full into a pipe or a file, so the report
// leaves in one write. Write errors are not detected: a reader that goes away ends the tool
// through SIGPIPE, as it ends any filter, and otherwise the exit status tells what was read.
class FileOutput final : public spectrum_dump::Output {
 public:
  // `tied`: the stream this one is tied to, as standard error is to standard output: it is
  // flushed before each line of this one, and each line is flushed at once (unit buffering, which
  // Windows' C library does not give standard error in a pipe), so in one pipe the lines keep
  // program order.
  explicit FileOutput(std::FILE* file, const FileOutput* tied = nullptr)
      : file_(file), tied_(tied) {}

 private:
  void emit(std::string_view text) override {
    if (tied_ != nullptr) {
      (void)std::fflush(tied_->file_);
    }
    (void)std::fwrite(text.data(), 1, text.size(), file_);
    if (tied_ != nullptr) {
      (void)std::fflush(file_);
    }
  }

  std::FILE* file_;
  const FileOutput* tied_;
};

struct CloseFile {
  void operator()(std::FILE* file) const { (void)std::fclose(file); }
};

}  // namespace

int main() {
  FileOutput out(stdout);
  FileOutput err(stderr, &out);
  const std::unique_ptr<std::FILE, CloseFile> file(std::fopen(kInputName, "rb"));
  if (!file) {
    err.print("Cannot open: ", kInputName, "\n");
    return 1;
  }
  FileInput input(file.get());
  return spectrum_dump::dump_frame(input, out, err) ? 0 : 1;
}
