#include "files/in_place_file.h"

#if defined(_WIN32)

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include "files/path_text.h"

namespace corvane {

InPlaceOpen OpenInPlace(const std::string& path, InPlaceFile& file) {
  // Others may read the data file while it is written, not write it.
  const std::filesystem::path native = PathFromText(path);
  if (_wsopen_s(&file.fd, native.c_str(), _O_WRONLY | _O_CREAT | _O_BINARY | _O_NOINHERIT, _SH_DENYWR,
                _S_IREAD | _S_IWRITE) != 0) {
    file.error = errno;
    file.fd = -1;
    return InPlaceOpen::kCannotCreate;
  }
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.fd));
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
      !IdentityOfHandle(handle, file.identity)) {
    CloseInPlace(file);
    return InPlaceOpen::kNotRegular;
  }
  if (info.nNumberOfLinks > 1) {
    CloseInPlace(file);
    return InPlaceOpen::kOtherNames;
  }
  file.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  return InPlaceOpen::kOpened;
}

void CloseInPlace(InPlaceFile& file) {
  if (file.fd >= 0) _close(file.fd);
  file.fd = -1;
}

std::FILE* EmptyInPlace(InPlaceFile& file) {
  if (_chsize_s(file.fd, 0) != 0) {
    file.error = errno;
    CloseInPlace(file);
    return nullptr;
  }
  std::FILE* stream = _fdopen(file.fd, "wb");
  if (stream == nullptr) {
    file.error = errno;
    CloseInPlace(file);
  }
  return stream;
}

}  // namespace corvane

#endif
