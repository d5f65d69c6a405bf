// A data file opened where it stands, without truncating it, so that it can be judged by the file
// actually opened before anything of it is lost; and only then emptied. One source per platform
// holds how that is done there.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "files/file_identity.h"

namespace corvane {

enum class InPlaceOpen {
  kOpened,
  kCannotCreate,  // `error` holds the system's errno
  kNotRegular,    // something other than a regular file is there (closed again)
  kOtherNames,    // the file has other names (hard links), which are not the run's (closed again)
};

struct InPlaceFile {
  int fd = -1;
  FileIdentity identity;
  std::uint64_t size = 0;
  int error = 0;
};

// Opens `path` for writing without truncating it; others may read it meanwhile, not write it.
InPlaceOpen OpenInPlace(const std::string& path, InPlaceFile& file);

// Closes a file OpenInPlace opened that is not to be written after all.
void CloseInPlace(InPlaceFile& file);

// Empties the file and hands it over as a stream; nullptr with `error` set (and the
// file closed) when either failed.
std::FILE* EmptyInPlace(InPlaceFile& file);

}  // namespace corvane
