// Replacing a file without ever destroying the old one: the new content goes to a temporary
// file in the same folder, which is then renamed over the target.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

// Returns "" on success, otherwise "Cannot create file \"<path>\". <system reason>" (no final
// full stop: the error box adds one); the previous
// file, if any, is then left as it was.
std::string WriteFileAtomically(const std::string& path, std::string_view content);

}  // namespace corvane
