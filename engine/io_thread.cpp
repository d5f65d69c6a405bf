#include "engine/io_thread.h"

#include <cerrno>

#if defined(__linux__)
#include <fcntl.h>
#include <sys/types.h>
#endif

namespace corvane {

namespace {

// Starts writing the block just written out to the disk. Otherwise the file system keeps the whole
// data file in memory and, since the file was emptied when it was opened, writes it all out when it
// is closed (ext4's safeguard for files rewritten in place): tens of milliseconds per 100 MB, on
// the converting thread, at the end. Started here, block by block, that work is done beside the
// conversion. Only a start: nothing waits for the disk, and a failure changes nothing (the block is
// written either way).
void StartWriteBack(std::FILE* file, std::size_t n) {
#if defined(__linux__)
  if (std::fflush(file) != 0) return;
  const off_t end = ftello(file);
  const off_t length = static_cast<off_t>(n);
  if (end >= length) ::sync_file_range(fileno(file), end - length, length, SYNC_FILE_RANGE_WRITE);
#else
  (void)file;
  (void)n;
#endif
}

}  // namespace

IoThread::~IoThread() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void IoThread::StartRead(std::FILE* file, char* to, std::size_t n) { Start(file, to, nullptr, n); }

void IoThread::StartWrite(std::FILE* file, const char* from, std::size_t n) { Start(file, nullptr, from, n); }

void IoThread::Start(std::FILE* file, char* to, const char* from, std::size_t n) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    file_ = file;
    to_ = to;
    from_ = from;
    size_ = n;
    done_ = Done{};
    pending_ = true;
  }
  if (!thread_.joinable()) {
    thread_ = std::thread([this] { Run(); });
  } else {
    wake_.notify_all();
  }
}

IoThread::Done IoThread::Wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  wake_.wait(lock, [this] { return !pending_; });
  return done_;
}

void IoThread::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return pending_ || quit_; });
    if (!pending_) return;  // quit, with nothing left to do
    std::FILE* const file = file_;
    char* const to = to_;
    const char* const from = from_;
    const std::size_t n = size_;
    lock.unlock();
    Done done;
    errno = 0;
    if (to != nullptr) {
      done.bytes = std::fread(to, 1, n, file);
      if (done.bytes < n && std::ferror(file)) done.error = errno != 0 ? errno : EIO;
    } else {
      done.bytes = std::fwrite(from, 1, n, file);
      if (done.bytes != n) {
        done.error = errno != 0 ? errno : EIO;
      } else {
        StartWriteBack(file, n);
      }
    }
    lock.lock();
    done_ = done;
    pending_ = false;
    wake_.notify_all();
  }
}

}  // namespace corvane
