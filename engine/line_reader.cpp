#include "engine/line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace corvane {

namespace {

constexpr char kCtrlZ = 26;

// Index of the first CR in [from, end) that is not followed by LF, looking at the byte after a CR
// only when it lies before `end`; returns `end` when there is none. A CR that is the last byte is
// not judged here (its follower has not arrived yet).
std::size_t FindLoneCr(const char* buf, std::size_t from, std::size_t end) {
  // LF files have no CR at all: the library's search, many bytes per step, tells so at once.
  const void* firstCr = from < end ? std::memchr(buf + from, '\r', end - from) : nullptr;
  if (firstCr == nullptr) return end;
  std::size_t i = static_cast<std::size_t>(static_cast<const char*>(firstCr) - buf);
#if defined(__SSE2__)
  // CR LF files have a CR on every line: compare 16 bytes, and the 16 bytes one further on, at
  // once, so the common case costs two compares per 16 bytes instead of a call per line.
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  while (i + 17 <= end) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + i));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + i + 1));
    const unsigned crMask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(here, cr)));
    const unsigned lfMask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(next, lf)));
    const unsigned lone = crMask & ~lfMask;
    if (lone != 0) return i + static_cast<std::size_t>(__builtin_ctz(lone));
    i += 16;
  }
#endif
  while (i < end) {
    const void* p = std::memchr(buf + i, '\r', end - i);
    if (p == nullptr) return end;
    const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(p) - buf);
    if (at + 1 >= end) return end;  // the last byte: not judged yet
    if (buf[at + 1] != '\n') return at;
    i = at + 2;
  }
  return end;
}

[[noreturn]] void ThrowReadError(int error) {
  throw InputReadError{"read error: " + std::generic_category().message(error)};
}

// A cap of zero would hand out empty pieces of a line for ever; above the default it would only
// cost memory.
std::size_t ClampCap(std::size_t cap) { return std::clamp<std::size_t>(cap, 1, kMaxLineLength); }

}  // namespace

LineReader::LineReader(std::string_view text, std::size_t blockSize)
    : memory_(text), block_size_(blockSize == 0 ? 1 : blockSize) {
  Allocate(own_storage_, own_spare_);
}

LineReader::LineReader(std::FILE* file, std::size_t blockSize)
    : file_(file), block_size_(blockSize == 0 ? 1 : blockSize) {
  Allocate(own_storage_, own_spare_);
}

LineReader::LineReader(std::string_view text, ByteBuffer& storage, ByteBuffer& spare, std::size_t blockSize,
                       std::size_t maxLineLength)
    : memory_(text), block_size_(blockSize == 0 ? 1 : blockSize), max_line_(ClampCap(maxLineLength)) {
  Allocate(storage, spare);
}

LineReader::LineReader(std::FILE* file, ByteBuffer& storage, ByteBuffer& spare, IoThread* readAhead,
                       std::size_t blockSize, std::size_t maxLineLength)
    : file_(file),
      block_size_(blockSize == 0 ? 1 : blockSize),
      max_line_(ClampCap(maxLineLength)),
      read_ahead_(readAhead) {
  Allocate(storage, spare);
}

LineReader::~LineReader() {
  // The buffers outlive this reader and serve the next file: no read may still be filling them.
  if (reading_ahead_) read_ahead_->Wait();
}

void LineReader::Allocate(ByteBuffer& storage, ByteBuffer& spare) {
  // The unread bytes moved in front of a block are at most a line cut at its maximum length (a
  // longer one is cut before more is read). Only the bytes before end_ are ever judged; the slack
  // behind them is read by the 16-byte newline search and masked off, so reused memory needs no
  // clearing.
  origin_ = max_line_;
  const std::size_t size = origin_ + block_size_ + 1 + kSlack;
  buffers_[0] = storage.Reserve(size);
  buffers_[1] = spare.Reserve(size);
  buf_ = buffers_[0];
  begin_ = end_ = clean_ = origin_;
}

std::size_t LineReader::ReadSource(char* to, std::size_t n) {
  if (file_ == nullptr) {
    const std::size_t take = std::min(n, memory_.size() - memory_pos_);
    std::memcpy(to, memory_.data() + memory_pos_, take);
    memory_pos_ += take;
    return take;
  }
  const std::size_t got = std::fread(to, 1, n, file_);
  if (got < n && std::ferror(file_)) ThrowReadError(errno);
  return got;
}

void LineReader::Fill() {
  char* const next = buffers_[1 - current_];
  std::size_t got;
  BlockMarks marks;
  if (reading_ahead_) {
    reading_ahead_ = false;
    const IoThread::Done done = read_ahead_->Wait();
    if (done.error != 0) ThrowReadError(done.error);
    got = done.bytes;
    marks = ahead_marks_;
  } else {
    got = ReadSource(next + origin_, block_size_);
    marks = FindMarks(next + origin_, got);
  }
  const std::size_t carried = end_ - begin_;
  std::memcpy(next + origin_ - carried, buf_ + begin_, carried);
  const std::size_t cleanCarried = clean_ - begin_;
  buf_ = next;
  current_ = 1 - current_;
  begin_ = origin_ - carried;
  clean_ = begin_ + cleanCarried;
  end_ = origin_ + got;
  bytes_taken_ += got;
  // A file gives a short block only at its end (fread stops short at the end or on an error, and
  // an error has thrown): no read needs to be spent on learning that nothing follows.
  if (got < block_size_) source_done_ = true;
  CleanNewBytes(clean_, marks);
  if (read_ahead_ != nullptr && !source_done_) {
    read_ahead_->StartRead(file_, buffers_[1 - current_] + origin_, block_size_, &LineReader::MarkAheadBlock, this);
    reading_ahead_ = true;
  }
}

LineReader::BlockMarks LineReader::FindMarks(const char* block, std::size_t bytes) {
  BlockMarks marks;
  std::size_t end = bytes;
  if (const void* z = std::memchr(block, kCtrlZ, bytes)) {
    end = static_cast<std::size_t>(static_cast<const char*>(z) - block);
    marks.ctrlZ = end;
  }
  const std::size_t lone = FindLoneCr(block, 0, end);
  if (lone < end) marks.loneCr = lone;
  return marks;
}

void LineReader::MarkAheadBlock(void* reader, char* block, std::size_t bytes) {
  static_cast<LineReader*>(reader)->ahead_marks_ = FindMarks(block, bytes);
}

void LineReader::CleanNewBytes(std::size_t from, const BlockMarks& marks) {
  if (marks.ctrlZ != std::string_view::npos) {
    end_ = origin_ + marks.ctrlZ;
    source_done_ = true;
  }
  // The bytes before origin_ were cleaned with the block before, all but a CR at its very end:
  // the new block's first byte judges it.
  const std::size_t carriedEnd = std::min(origin_ + 1, end_);
  std::size_t lone = FindLoneCr(buf_, from, carriedEnd);  // from <= origin_ <= carriedEnd
  if (lone == carriedEnd) lone = marks.loneCr != std::string_view::npos ? origin_ + marks.loneCr : end_;
  if (lone < end_) {
    // Rare: compact the rest of the block, dropping every lone CR.
    std::size_t write = lone;
    for (std::size_t read = lone; read < end_; ++read) {
      const char c = buf_[read];
      if (c == '\r' && read + 1 < end_ && buf_[read + 1] != '\n') continue;
      buf_[write++] = c;
    }
    end_ = write;
  }
  // A CR at the very end is judged when the next byte arrives, or dropped at the end of input.
  if (end_ > from && buf_[end_ - 1] == '\r') {
    if (source_done_) {
      --end_;
    } else {
      clean_ = end_ - 1;
      return;
    }
  }
  clean_ = end_;
}

bool LineReader::SkipLongRest() {
  const void* nl = std::memchr(buf_ + begin_, '\n', clean_ - begin_);
  if (nl != nullptr) {
    begin_ = static_cast<std::size_t>(static_cast<const char*>(nl) - buf_) + 1;
    skipping_long_ = false;
    return true;
  }
  begin_ = clean_;
  return false;
}

bool LineReader::NextSlow(std::string_view& line) {
  std::size_t scanFrom = begin_;
  for (;;) {
    if (skipping_long_) {
      if (!SkipLongRest()) {
        if (source_done_ && clean_ == end_) {
          line = {};
          return false;
        }
        Fill();
        scanFrom = begin_;
        continue;
      }
      scanFrom = begin_;
    }
    const void* nl = std::memchr(buf_ + scanFrom, '\n', clean_ - scanFrom);
    if (nl != nullptr) {
      const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(nl) - buf_);
      std::size_t stop = at;
      if (stop > begin_ && buf_[stop - 1] == '\r') --stop;
      line = std::string_view(buf_ + begin_, stop - begin_);
      begin_ = at + 1;
      if (line.size() > max_line_) line = line.substr(0, max_line_);
      break;
    }
    const std::size_t pending = clean_ - begin_;
    if (pending >= max_line_) {
      // Keep the first part; the rest of this line is skipped on the next read.
      line = std::string_view(buf_ + begin_, max_line_);
      begin_ += max_line_;
      skipping_long_ = true;
      break;
    }
    if (source_done_ && clean_ == end_) {
      if (pending == 0) {
        line = {};
        return false;
      }
      line = std::string_view(buf_ + begin_, pending);  // the last line has no terminator
      begin_ = clean_;
      break;
    }
    const std::size_t scanned = clean_ - begin_;
    Fill();
    scanFrom = begin_ + scanned;  // Fill moved the unread bytes
  }
  last_data_ = line.data();
  last_size_ = line.size();
  ++line_number_;
  return true;
}

bool LineReader::AtEndSlow() {
  for (;;) {
    if (skipping_long_ && !SkipLongRest()) {
      if (source_done_ && clean_ == end_) return true;
      Fill();
      continue;
    }
    if (begin_ < clean_) return false;
    if (source_done_ && clean_ == end_) return true;
    Fill();
  }
}

}  // namespace corvane
