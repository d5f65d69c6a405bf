// The floor a converter is measured against: what it costs only to read the lines of a drawing
// and write half of them. Reads 1 MiB blocks, finds line ends with memchr, trims every second
// line and writes it out through a 1 MiB buffer.
//
//   line_floor IN.dxf OUT.txt
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr std::size_t kBlock = std::size_t{1} << 20;

class Output {
 public:
  explicit Output(std::FILE* f) : f_(f), buf_(std::make_unique<char[]>(kBlock)) {}
  ~Output() { Flush(); }
  void Put(const char* p, std::size_t n) {
    if (used_ + n + 2 > kBlock) Flush();
    if (n + 2 > kBlock) {
      std::fwrite(p, 1, n, f_);
      std::fwrite("\r\n", 1, 2, f_);
      return;
    }
    std::memcpy(buf_.get() + used_, p, n);
    used_ += n;
    buf_[used_++] = '\r';
    buf_[used_++] = '\n';
  }
  void Flush() {
    if (used_ > 0) std::fwrite(buf_.get(), 1, used_, f_);
    used_ = 0;
  }

 private:
  std::FILE* f_;
  std::unique_ptr<char[]> buf_;
  std::size_t used_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: line_floor IN.dxf OUT.txt\n", stderr);
    return 2;
  }
  std::FILE* in = std::fopen(argv[1], "rb");
  std::FILE* outFile = std::fopen(argv[2], "wb");
  if (in == nullptr || outFile == nullptr) {
    std::perror("line_floor");
    return 1;
  }
  std::setvbuf(in, nullptr, _IONBF, 0);
  std::setvbuf(outFile, nullptr, _IONBF, 0);
  Output out(outFile);
  // A block plus room for the partial line carried over from the block before.
  auto block = std::make_unique<char[]>(2 * kBlock);
  std::size_t carried = 0;
  bool odd = false;
  for (;;) {
    const std::size_t got = std::fread(block.get() + carried, 1, kBlock, in);
    const std::size_t end = carried + got;
    const char* p = block.get();
    const char* stop = p + end;
    for (;;) {
      const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(stop - p)));
      if (nl == nullptr) break;
      if (odd) {
        const char* b = p;
        const char* e = nl;
        while (b < e && static_cast<unsigned char>(*b) <= 32) ++b;
        while (e > b && static_cast<unsigned char>(e[-1]) <= 32) --e;
        out.Put(b, static_cast<std::size_t>(e - b));
      }
      odd = !odd;
      p = nl + 1;
    }
    carried = static_cast<std::size_t>(stop - p);
    if (carried > kBlock) carried = 0;  // an absurd line: dropped, the floor need not keep it
    std::memmove(block.get(), p, carried);
    if (got == 0) break;
  }
  out.Flush();
  const bool failed = std::ferror(outFile) != 0;
  std::fclose(in);
  return (std::fclose(outFile) != 0 || failed) ? 1 : 0;
}
