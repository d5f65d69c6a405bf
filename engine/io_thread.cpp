#include "engine/io_thread.h"

#include <cerrno>

namespace corvane {

IoThread::~IoThread() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void IoThread::StartRead(std::FILE* file, char* to, std::size_t n) { Start(file, to, n, true); }

void IoThread::StartWrite(std::FILE* file, const char* from, std::size_t n) {
  Start(file, const_cast<char*>(from), n, false);  // only ever read from
}

void IoThread::Start(std::FILE* file, char* data, std::size_t n, bool read) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    file_ = file;
    data_ = data;
    size_ = n;
    read_ = read;
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
    char* const data = data_;
    const std::size_t n = size_;
    const bool read = read_;
    lock.unlock();
    Done done;
    errno = 0;
    if (read) {
      done.bytes = std::fread(data, 1, n, file);
      if (done.bytes < n && std::ferror(file)) done.error = errno != 0 ? errno : EIO;
    } else {
      done.bytes = std::fwrite(data, 1, n, file);
      if (done.bytes != n) done.error = errno != 0 ? errno : EIO;
    }
    lock.lock();
    done_ = done;
    pending_ = false;
    wake_.notify_all();
  }
}

}  // namespace corvane
