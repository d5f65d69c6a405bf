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

void IoThread::StartRead(std::FILE* file, char* to, std::size_t n, AfterRead after, void* context) {
  Start(file, to, nullptr, n, after, context);
}

void IoThread::StartWrite(std::FILE* file, const char* from, std::size_t n) {
  Start(file, nullptr, from, n, nullptr, nullptr);
}

void IoThread::Start(std::FILE* file, char* to, const char* from, std::size_t n, AfterRead after, void* context) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    file_ = file;
    to_ = to;
    from_ = from;
    size_ = n;
    after_ = after;
    after_context_ = context;
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
    const AfterRead after = after_;
    void* const context = after_context_;
    lock.unlock();
    Done done;
    errno = 0;
    if (to != nullptr) {
      done.bytes = std::fread(to, 1, n, file);
      if (done.bytes < n && std::ferror(file)) done.error = errno != 0 ? errno : EIO;
      if (done.error == 0 && after != nullptr) after(context, to, done.bytes);
    } else {
      done.bytes = std::fwrite(from, 1, n, file);
      if (done.bytes != n) done.error = errno != 0 ? errno : EIO;
    }
    lock.lock();
    done_ = done;
    pending_ = false;
    wake_.notify_all();
  }
}

}  // namespace corvane
