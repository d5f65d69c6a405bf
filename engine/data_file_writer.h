// The data file of one DXF file: written in place through a large buffer, every write checked.
#pragma once

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "engine/io_thread.h"
#include "engine/byte_buffer.h"
#include "engine/memory_bytes.h"

namespace corvane {

class DataFileWriter {
 public:
  // Takes over a file opened for writing (OutputGuard::OpenDataFile); `path` names it in errors.
  DataFileWriter(std::FILE* file, std::string path);
  // The same, composing in memory the caller keeps for the next file (it must outlive the writer).
  DataFileWriter(std::FILE* file, std::string path, ByteBuffer& buffer);
  // The same, composing one block while `writer` writes the one before from `spare`.
  DataFileWriter(std::FILE* file, std::string path, ByteBuffer& buffer, ByteBuffer& spare, IoThread& writer);
  // A data file kept in memory, never on disk (the point preview): every byte goes to `memory`,
  // which holds exactly what the file would hold once Close() has run.
  explicit DataFileWriter(MemoryBytes& memory);
  DataFileWriter(const DataFileWriter&) = delete;
  DataFileWriter& operator=(const DataFileWriter&) = delete;
  ~DataFileWriter();  // closes without reporting; call Close() to learn of errors

  // Room for n more bytes at the returned pointer; Commit(n) keeps them.
  char* Reserve(std::size_t n) {
    if (capacity_ - used_ < n) MakeRoom(n);
    return data_ + used_;
  }
  void Commit(std::size_t n) { used_ += n; }
  void Append(std::string_view s) {
    std::memcpy(Reserve(s.size()), s.data(), s.size());
    used_ += s.size();
  }

  // Writes what is buffered and closes the file. Throws OutputError on failure.
  void Close();

  const std::string& path() const { return path_; }

  // In memory: the bytes composed so far (the file's size up to here).
  std::size_t MemoryUsed() const { return used_; }

 private:
  void MakeRoom(std::size_t n);
  void Flush();
  void WriteHere();          // writes the buffered bytes on this thread
  void WaitForBlockInFlight();
  [[noreturn]] void Fail(int error);

  std::string path_;
  std::FILE* file_ = nullptr;
  ByteBuffer own_buffer_;
  ByteBuffer* buffer_;
  ByteBuffer* spare_ = nullptr;
  IoThread* writer_ = nullptr;
  MemoryBytes* memory_ = nullptr;  // the memory a kept-in-memory file grows in
  bool in_flight_ = false;  // the spare block is being written
  char* data_ = nullptr;
  std::size_t capacity_ = 0;
  std::size_t used_ = 0;
};

}  // namespace corvane
