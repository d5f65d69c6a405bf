// The drawings of a folder as a user sees them: the desktop program's file list and the
// command-line tool's folder INPUTs show the same files in the same order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// True when `a` sorts before `b` in a listing: "a" to "z" and "A" to "Z" compare alike, then the
// bytes (as unsigned) break ties, so the order is total and repeatable.
bool ListingOrder(std::string_view a, std::string_view b);

// The names (without folder) of the ordinary "*.dxf" files of `folder`, hidden files left out
// (a leading "." here; the hidden or system attribute on Windows), in ListingOrder. Folders
// and anything that is not a regular file (following symlinks) are not listed. When the
// folder cannot be read the result is empty and `error` says why; otherwise `error` is "".
std::vector<std::string> ListDxfFiles(const std::string& folder, std::string& error);

}  // namespace corvane
