#include "files/in_place_file.h"

#if !defined(_WIN32)

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

#if defined(__linux__)
// ext4 writes a file that was emptied in place out to the disk when it is closed (its safeguard for
// programs that rewrite files without syncing them, auto_da_alloc). On the thread that closes the
// data file, that made converting over earlier results cost 1.3 times (a 100 MB drawing) to 3 times
// (small drawings) as much as converting into new files. The mark is taken by whichever open file
// of it is closed first: opening the emptied file once more and closing it at once, while it holds
// nothing to write, takes it for nothing. A rewritten data file then reaches the disk as a new one
// does, by the system's usual writeback. (On other file systems this only costs an open and a
// close; a file that cannot be opened for reading keeps the mark.)
void ForgoWriteOutAtClose(int fd) {
  char self[40];
  std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
  const int again = ::open(self, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (again >= 0) ::close(again);
}
#endif

}  // namespace

InPlaceOpen OpenInPlace(const std::string& path, InPlaceFile& file) {
  // O_NONBLOCK: a FIFO put there since the check must not hang the run in open().
  file.fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (file.fd < 0) {
    file.error = errno;
    return InPlaceOpen::kCannotCreate;
  }
  struct stat st;
  if (::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    CloseInPlace(file);
    return InPlaceOpen::kNotRegular;
  }
  // The file is emptied and written where it stands; another name of it (a hard link) would
  // lose its content too, and that file is not this run's to change.
  if (st.st_nlink > 1) {
    CloseInPlace(file);
    return InPlaceOpen::kOtherNames;
  }
  file.identity = IdentityOf(st);
  file.size = static_cast<std::uint64_t>(st.st_size);
  return InPlaceOpen::kOpened;
}

void CloseInPlace(InPlaceFile& file) {
  if (file.fd >= 0) ::close(file.fd);
  file.fd = -1;
}

std::FILE* EmptyInPlace(InPlaceFile& file) {
  // An empty file is left as it is: on ext4, emptying even an empty file marks it as rewritten in
  // place, and the file system then writes it out to disk at close, one file at a time.
  if (file.size != 0) {
    if (::ftruncate(file.fd, 0) != 0) {
      file.error = errno;
      CloseInPlace(file);
      return nullptr;
    }
#if defined(__linux__)
    ForgoWriteOutAtClose(file.fd);
#endif
  }
  ::fcntl(file.fd, F_SETFL, ::fcntl(file.fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* stream = ::fdopen(file.fd, "wb");
  if (stream == nullptr) {
    file.error = errno;
    CloseInPlace(file);
  }
  return stream;
}

}  // namespace corvane

#endif
