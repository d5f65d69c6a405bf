// Bytes kept in memory that grow without being cleared first: a data file held in memory (the
// point preview) is written once, so clearing or copying each block as it grows would only cost
// time. Large blocks grow by realloc, which the system does by remapping pages, not copying them.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>

namespace corvane {

class MemoryBytes {
 public:
  MemoryBytes() = default;
  MemoryBytes(const MemoryBytes& other) { *this = other; }
  MemoryBytes(MemoryBytes&& other) noexcept { swap(other); }
  MemoryBytes& operator=(const MemoryBytes& other) {
    if (this != &other) {
      size_ = 0;
      Reserve(other.size_);
      if (other.size_ > 0) std::memcpy(bytes_, other.bytes_, other.size_);
      size_ = other.size_;
    }
    return *this;
  }
  MemoryBytes& operator=(MemoryBytes&& other) noexcept {
    MemoryBytes gone(std::move(other));
    swap(gone);
    return *this;
  }
  ~MemoryBytes() { std::free(bytes_); }
  void swap(MemoryBytes& other) noexcept {
    std::swap(bytes_, other.bytes_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
  }

  // Room for `capacity` bytes, keeping the bytes held; the new room is not cleared.
  void Reserve(std::size_t capacity) {
    if (capacity <= capacity_) return;
    void* grown = std::realloc(bytes_, capacity);
    if (grown == nullptr) throw std::bad_alloc();
    bytes_ = static_cast<char*>(grown);
    capacity_ = capacity;
  }
  // The first `size` bytes of the room are the content (size <= capacity()).
  void SetSize(std::size_t size) { size_ = size; }
  void Assign(std::string_view text) {
    Reserve(text.size());
    if (!text.empty()) std::memcpy(bytes_, text.data(), text.size());
    size_ = text.size();
  }

  char* data() { return bytes_; }
  const char* data() const { return bytes_; }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  std::string_view view() const { return size_ == 0 ? std::string_view() : std::string_view(bytes_, size_); }

 private:
  char* bytes_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace corvane
