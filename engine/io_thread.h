// A thread that reads or writes one block of a file at a time while the conversion goes on: the
// next block of a drawing is read, and the last block of a data file written, while the current one
// is worked on. One per job and direction, kept from file to file, so a folder of small drawings
// never starts a thread per file (and a file that fits in one block never wakes it).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <mutex>
#include <thread>

namespace corvane {

class IoThread {
 public:
  IoThread() = default;
  IoThread(const IoThread&) = delete;
  IoThread& operator=(const IoThread&) = delete;
  ~IoThread();

  // Work on a block just read, done on this thread before the read counts as done: a first pass
  // over the bytes costs the converting thread nothing there, and finds them in this core's cache.
  using AfterRead = void (*)(void* context, char* block, std::size_t bytes);

  // Starts reading up to n bytes of `file` into `to` (then `after`, if given, runs over what was
  // read without an error), or writing n bytes at `from` to `file`. The memory must stay untouched
  // until Wait() returns. One block at a time: Wait() for the last first.
  void StartRead(std::FILE* file, char* to, std::size_t n, AfterRead after = nullptr, void* context = nullptr);
  void StartWrite(std::FILE* file, const char* from, std::size_t n);

  struct Done {
    std::size_t bytes = 0;  // read, or written
    int error = 0;          // the errno of a failed read or write, else 0
  };
  // Waits for the block in flight.
  Done Wait();

 private:
  void Start(std::FILE* file, char* to, const char* from, std::size_t n, AfterRead after, void* context);
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::thread thread_;
  std::FILE* file_ = nullptr;
  char* to_ = nullptr;          // a read's destination, else null
  const char* from_ = nullptr;  // a write's source
  std::size_t size_ = 0;
  AfterRead after_ = nullptr;
  void* after_context_ = nullptr;
  bool pending_ = false;  // a block is handed over and not yet done
  bool quit_ = false;
  Done done_;
};

}  // namespace corvane
