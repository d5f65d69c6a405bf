// Writes blocks of a data file on a thread of its own, so that composing the next block goes on
// while the system copies the last one. One per job, kept from file to file: a folder of small
// drawings never starts a thread per file, and a file that fits in one block never uses it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <mutex>
#include <thread>

namespace corvane {

class BlockWriter {
 public:
  BlockWriter() = default;
  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;
  ~BlockWriter();

  // Starts writing n bytes at `data` to `file`; the bytes must stay untouched until Wait() returns.
  // At most one block is in flight: the caller waits for the last one first.
  void Start(std::FILE* file, const char* data, std::size_t n);
  // Waits for the block in flight, if any. Returns 0, or the errno of a write that failed.
  int Wait();

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::thread thread_;
  std::FILE* file_ = nullptr;
  const char* data_ = nullptr;
  std::size_t size_ = 0;
  bool pending_ = false;  // a block is handed over and not yet written
  bool quit_ = false;
  int error_ = 0;
};

}  // namespace corvane
