#include "engine/block_writer.h"

#include <cerrno>

namespace corvane {

BlockWriter::~BlockWriter() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void BlockWriter::Start(std::FILE* file, const char* data, std::size_t n) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    file_ = file;
    data_ = data;
    size_ = n;
    error_ = 0;
    pending_ = true;
  }
  if (!thread_.joinable()) {
    thread_ = std::thread([this] { Run(); });
  } else {
    wake_.notify_all();
  }
}

int BlockWriter::Wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  wake_.wait(lock, [this] { return !pending_; });
  return error_;
}

void BlockWriter::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return pending_ || quit_; });
    if (pending_) {
      std::FILE* const file = file_;
      const char* const data = data_;
      const std::size_t n = size_;
      lock.unlock();
      errno = 0;
      const std::size_t written = std::fwrite(data, 1, n, file);
      const int error = written == n ? 0 : (errno != 0 ? errno : EIO);
      lock.lock();
      error_ = error;
      pending_ = false;
      wake_.notify_all();
      continue;
    }
    if (quit_) return;
  }
}

}  // namespace corvane
