// Memory that a job keeps from one file to the next: a folder of small drawings must not pay for
// allocating and clearing megabyte-sized buffers for every file.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>

#include "engine/block_writer.h"

namespace corvane {

class ByteBuffer {
 public:
  // At least `size` bytes; what they hold is unspecified, except that bytes this buffer has never
  // held before are zero.
  char* Reserve(std::size_t size) {
    if (size > size_) {
      bytes_ = std::make_unique<char[]>(size);
      size_ = size;
    }
    return bytes_.get();
  }
  std::size_t size() const { return size_; }

 private:
  std::unique_ptr<char[]> bytes_;
  std::size_t size_ = 0;
};

// The buffers one conversion works in: the reader's block and the data file's two output blocks
// (one is composed while the other is written), with the thread that writes them.
struct FileBuffers {
  ByteBuffer input;
  ByteBuffer output;
  ByteBuffer outputSpare;
  BlockWriter writer;
};

}  // namespace corvane
