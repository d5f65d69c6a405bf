// The DXF line model over a file or an in-memory text.
//
// A line ends at LF or CR LF; the terminator is not part of the line. A CR that is not followed
// by LF is dropped and the line goes on. A Ctrl-Z (code 26) ends the input. A line longer than
// kMaxLineLength keeps its first kMaxLineLength bytes and the rest is skipped, so memory stays
// bounded whatever the input holds.
//
// The input is read in large blocks and lines are handed out as views into the block, without
// copying. A view stays valid until the next call of Next() on the same reader (Unread() does not
// move anything), and has kLineSlack readable bytes behind its end.
#pragma once

#include <cstdint>
#include <algorithm>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <memory>
#include <string>
#include <string_view>

#include "engine/byte_buffer.h"
#include "engine/errors.h"
#include "engine/io_thread.h"
#include "engine/line_slack.h"

namespace corvane {

inline constexpr std::size_t kMaxLineLength = std::size_t{1} << 20;  // 1 MiB

// What the callback of LineReader::TakePairsInBlock did with a pair.
enum class PairTaken : std::uint8_t {
  kDeclined,   // left unread, as if never seen; the run ends
  kTaken,      // the run goes on
  kTakenLast,  // taken, and the run ends behind it
};
// Each block read ahead wakes the reading thread once: 512 KiB wakes it half as often as 256 KiB
// did, for less CPU time; 1 MiB blocks, larger than what a core here keeps close, cost wall time.
inline constexpr std::size_t kReadBlockSize = std::size_t{512} << 10;

class LineReader {
 public:
  // Reads a text held in memory (tests, fuzzing); the text must outlive the reader. A small
  // block size lets tests put block boundaries anywhere.
  explicit LineReader(std::string_view text, std::size_t blockSize = kReadBlockSize);
  // Reads from an open binary file; the reader does not close it.
  explicit LineReader(std::FILE* file, std::size_t blockSize = kReadBlockSize);
  // The same in two buffers the caller keeps for the next file (they must outlive the reader); for a
  // file, `readAhead` (when given) reads the next block into one while lines are taken from the
  // other. A smaller line cap lets the fuzzer meet the cut on every input instead of building
  // megabyte lines.
  LineReader(std::string_view text, ByteBuffer& storage, ByteBuffer& spare, std::size_t blockSize = kReadBlockSize,
             std::size_t maxLineLength = kMaxLineLength);
  LineReader(std::FILE* file, ByteBuffer& storage, ByteBuffer& spare, IoThread* readAhead,
             std::size_t blockSize = kReadBlockSize, std::size_t maxLineLength = kMaxLineLength);
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;
  ~LineReader();

  // The next line; false when the input is exhausted (line is then empty).
  bool Next(std::string_view& line) {
    if (pushed_back_) {
      pushed_back_ = false;
      line = std::string_view(last_data_, last_size_);
      ++line_number_;
      return true;
    }
    // The common case: a whole line already in the block.
    if (!skipping_long_) {
      const char* start = buf_ + begin_;
      const char* nl = FindNewline(start, clean_ - begin_);
      if (nl != nullptr) {
        const std::size_t length = static_cast<std::size_t>(nl - start);
        std::size_t stop = length;
        if (stop > 0 && start[stop - 1] == '\r') --stop;
        if (stop <= max_line_) {
          line = std::string_view(start, stop);
          begin_ += length + 1;
          last_data_ = start;
          last_size_ = stop;
          ++line_number_;
          return true;
        }
      }
    }
    return NextSlow(line);
  }

  // The next two lines, when both are whole among the next 32 bytes of the block (a group code and
  // a short value: nearly every pair of a drawing). False, with nothing taken, otherwise; Next()
  // then takes them one by one. Unread() afterwards hands back the second.
  bool NextPairInBlock(std::string_view& first, std::string_view& second) {
    if (pushed_back_ || skipping_long_) return false;
    LinePair pair;
    if (!FindPair(buf_ + begin_, clean_ - begin_, max_line_, pair)) return false;
    first = pair.first;
    second = pair.second;
    begin_ += pair.length;
    last_data_ = pair.second.data();
    last_size_ = pair.second.size();
    line_number_ += 2;
    return true;
  }

  // Hands takePair(first, second) the following pairs of lines, each while both are whole among
  // the next 32 bytes of the block, until it declines one (that pair is left unread, as if never
  // seen) or takes the last, or a pair is not whole there. The same as NextPairInBlock() in a
  // loop, with the reader's place kept in registers: a long run of pairs does not wait on its own
  // stores. takePair may ask LineNumber() (the second line's) but must not read lines itself;
  // Unread() after it hands back the second line of the last pair taken.
  template <typename TakePair>
  void TakePairsInBlock(TakePair&& takePair) {
    if (pushed_back_ || skipping_long_) return;
    const char* const buf = buf_;
    const std::size_t clean = clean_;
    const std::size_t cap = max_line_;
    std::size_t begin = begin_;
    std::uint64_t number = line_number_;
    LinePair pair;
    while (FindPair(buf + begin, clean - begin, cap, pair)) {
      // Taken before takePair runs, so that the reader is in order whatever it does or throws; a
      // pair it declines is given back.
      begin_ = begin + pair.length;
      line_number_ = number + 2;
      const PairTaken taken = takePair(pair.first, pair.second);
      if (taken == PairTaken::kDeclined) {
        begin_ = begin;
        line_number_ = number;
        return;
      }
      last_data_ = pair.second.data();
      last_size_ = pair.second.size();
      if (taken == PairTaken::kTakenLast) return;
      begin += pair.length;
      number += 2;
    }
  }

  // Hands the line returned last back, so the next Next() returns it again, unchanged.
  void Unread() {
    pushed_back_ = true;
    --line_number_;
  }

  // True when no further line can be read: the end of the file, or a Ctrl-Z, is next.
  // May read ahead, which ends the validity of the views handed out (but not of a line handed
  // back with Unread()).
  bool AtEnd() {
    if (pushed_back_ || (!skipping_long_ && begin_ < clean_)) return false;
    return AtEndSlow();
  }

  // Bytes taken from the source so far (the file position of the block reads).
  std::uint64_t BytesTaken() const { return bytes_taken_; }

  // The number, from 1, of the line returned last.
  std::uint64_t LineNumber() const { return line_number_; }

 private:
  // The first LF among the n bytes at p, or nullptr. Most DXF lines are shorter than 16 bytes:
  // one compare of 16 bytes finds their end without a library call. The buffer has kSlack (32)
  // readable bytes behind its end for this.
  static const char* FindNewline(const char* p, std::size_t n) {
#if defined(__SSE2__)
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8('\n'))));
    if (n < 16) mask &= (1u << n) - 1u;
    if (mask != 0) return p + __builtin_ctz(mask);
    if (n <= 16) return nullptr;
    return static_cast<const char*>(std::memchr(p + 16, '\n', n - 16));
#else
    return static_cast<const char*>(std::memchr(p, '\n', n));
#endif
  }
  struct LinePair {
    std::string_view first, second;
    std::size_t length = 0;  // both lines with their ends
  };
  // The two lines at `start` when both end among its first 32 bytes (and before `available`) and
  // neither is longer than `cap`. The block has kSlack readable bytes behind its end for the look.
  static bool FindPair(const char* start, std::size_t available, std::size_t cap, LinePair& pair) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(start));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(start + 16));
    std::uint32_t ends = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(low, lf))) |
                         (static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(high, lf))) << 16);
    if (available < 32) ends &= (std::uint32_t{1} << available) - 1u;
    if (ends == 0) return false;
    const std::size_t firstEnd = static_cast<std::size_t>(__builtin_ctz(ends));
    ends &= ends - 1u;
    if (ends == 0) return false;
    const std::size_t secondEnd = static_cast<std::size_t>(__builtin_ctz(ends));
    std::size_t firstLength = firstEnd;
    if (firstLength > 0 && start[firstLength - 1] == '\r') --firstLength;
    const char* const secondStart = start + firstEnd + 1;
    std::size_t secondLength = secondEnd - firstEnd - 1;
    if (secondLength > 0 && secondStart[secondLength - 1] == '\r') --secondLength;
    if (firstLength > cap || secondLength > cap) return false;
    pair.first = std::string_view(start, firstLength);
    pair.second = std::string_view(secondStart, secondLength);
    pair.length = secondEnd + 1;
    return true;
#else
    (void)start;
    (void)available;
    (void)cap;
    (void)pair;
    return false;
#endif
  }
  static constexpr std::size_t kSlack = kLineSlack;

  void Allocate(ByteBuffer& storage, ByteBuffer& spare);
  bool NextSlow(std::string_view& line);
  bool AtEndSlow();
  std::size_t ReadSource(char* to, std::size_t n);
  // Takes the next block, read into the other buffer behind room for a line, and moves the unread
  // bytes of this one in front of it.
  void Fill();
  // Where the Ctrl-Z and the first lone CR of a block are, as offsets into it (npos: none). The
  // read-ahead thread finds them while the block before is worked on.
  struct BlockMarks {
    std::size_t ctrlZ = std::string_view::npos;
    std::size_t loneCr = std::string_view::npos;
  };
  static BlockMarks FindMarks(const char* block, std::size_t bytes);
  static void MarkAheadBlock(void* reader, char* block, std::size_t bytes);
  // Cuts the input at the block's Ctrl-Z and drops the lone CRs from `from` on, given the marks of
  // the bytes just read at origin_.
  void CleanNewBytes(std::size_t from, const BlockMarks& marks);
  bool SkipLongRest();

  std::FILE* file_ = nullptr;
  std::string_view memory_;
  std::size_t memory_pos_ = 0;
  std::size_t block_size_ = kReadBlockSize;
  std::size_t max_line_ = kMaxLineLength;
  ByteBuffer own_storage_;
  ByteBuffer own_spare_;
  // Blocks are read at origin_ (room for a line cut at its maximum length in front) in one buffer
  // while the lines of the other are handed out.
  std::size_t origin_ = 0;
  char* buffers_[2] = {nullptr, nullptr};
  int current_ = 0;
  IoThread* read_ahead_ = nullptr;
  bool reading_ahead_ = false;  // the next block is being read into the other buffer
  BlockMarks ahead_marks_;      // written by the read-ahead thread, read after its Wait()
  char* buf_ = nullptr;       // the bytes in hand: buffers_[current_]
  std::size_t begin_ = 0;     // first unread byte
  std::size_t end_ = 0;       // one past the last valid byte
  std::size_t clean_ = 0;     // bytes before this index have had lone CRs removed
  bool source_done_ = false;  // the file (or memory text) has no more bytes, or a Ctrl-Z was seen
  bool pushed_back_ = false;
  bool skipping_long_ = false;
  // The line returned last, kept as two words: a view built in registers and stored whole would be
  // written to the stack in halves and read back in one piece, which stalls the store forwarding on
  // every line.
  const char* last_data_ = nullptr;
  std::size_t last_size_ = 0;
  std::uint64_t bytes_taken_ = 0;
  std::uint64_t line_number_ = 0;
};

}  // namespace corvane
