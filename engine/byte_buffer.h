// Memory that a job keeps from one file to the next: a folder of small drawings must not pay for
// allocating and clearing megabyte-sized buffers for every file.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "engine/io_thread.h"

namespace corvane {

class ByteBuffer {
 public:
  // At least `size` bytes; what they hold is unspecified, except that bytes this buffer has never
  // held before are zero.
  char* Reserve(std::size_t size) {
    if (size > size_) {
      // calloc, not new char[]() and its memset: a block this size comes from the system already
      // zero, and its pages are touched only when used (most of the room kept for a long line
      // never is).
      char* const fresh = static_cast<char*>(std::calloc(size, 1));
      if (fresh == nullptr) throw std::bad_alloc();  // what was held stays, as it was
      bytes_.reset(fresh);
      size_ = size;
    }
    return bytes_.get();
  }
  std::size_t size() const { return size_; }

 private:
  struct Free {
    void operator()(char* p) const { std::free(p); }
  };
  std::unique_ptr<char, Free> bytes_;
  std::size_t size_ = 0;
};

// The buffers one conversion works in, two for each direction (one is worked on while the other is
// read or written), with the threads that read and write them.
struct FileBuffers {
  ByteBuffer input;
  ByteBuffer inputSpare;
  ByteBuffer output;
  ByteBuffer outputSpare;
  IoThread reading;
  IoThread writing;
};

}  // namespace corvane
