// Opening files named by the program's 8-bit path texts, and the wording of file errors that
// the configuration files and the lookup lists share.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace corvane {

// std::fopen on a path object: on Windows the wide API is used, so names outside the ANSI
// code page still open; elsewhere the bytes of the path are used as they are.
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

// Opens a file for reading in binary mode, as OpenFile(path, "rb") does, but only a regular file:
// a FIFO would hang the opening and a device could hand out bytes without end, so anything else
// gives nullptr with `reason` set (the system's text for a folder, "Not a regular file" for the
// rest). `size`, when given, receives the size of what was opened.
std::FILE* OpenRegularFile(const std::filesystem::path& path, std::string& reason,
                           std::uint64_t* size = nullptr);

// The system's text for an errno value. A zero errno (some C libraries leave it unset on a
// failed write) becomes the text of EIO rather than "Success". On Windows a file held open by
// another program, which the C runtime calls "Permission denied", is said as Windows users
// know it: kFileInUseText.
std::string SystemReason(int error_number);
inline constexpr const char* kFileInUseText =
    "The file is in use by another program: close it there, then try again";

// "Cannot open file "<path>". <reason>" and "Cannot create file "<path>". <reason>".
// No final full stop: the error box adds one.
std::string CannotOpenMessage(const std::string& path, const std::string& reason);
std::string CannotCreateMessage(const std::string& path, const std::string& reason);

// The file a path reaches: absolute and normalised, with every symbolic link followed as far as
// the parts exist, including a last link that leads to a file that does not exist yet (writing
// through the link would create that file, so it is the one to judge or to write).
std::filesystem::path FollowLinks(const std::filesystem::path& path);

// Decimal text of an integer without any locale.
std::string DecimalText(long long value);

}  // namespace corvane
