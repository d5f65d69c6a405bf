// Replacing a file without ever destroying the old one: the new content goes to a temporary
// file in the same folder, which is then renamed over the target.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

// Saves `content` as the file at `path`: written to a temporary file in the same folder, flushed
// to disk, then renamed over the target, so that a failed or interrupted save leaves the previous
// file as it was. A symlink is followed and the file it reaches is saved; a FIFO, a terminal or
// a device is written to directly, never replaced; a regular file that is read-only (for this
// user or for everyone) is refused. Returns "" on success, otherwise "Cannot create file
// \"<path>\". <system reason>" (no final full stop: the error box adds one).
// With SpecialFiles::kRefuse, a FIFO, terminal or device is refused instead (a configuration must
// be a file that can be read back; writing to a FIFO would wait for a reader).
enum class SpecialFiles { kWriteThrough, kRefuse };
std::string WriteFileAtomically(const std::string& path, std::string_view content,
                                SpecialFiles special = SpecialFiles::kWriteThrough);

// What WriteFileAtomically would refuse at `path` before writing anything: a folder, a read-only
// file, a folder where its temporary file cannot be created (tried, and removed at once), and
// with kRefuse anything but a regular file. The same message as it gives then; "" when nothing
// is in the way.
std::string CheckReplaceable(const std::string& path,
                             SpecialFiles special = SpecialFiles::kWriteThrough);

}  // namespace corvane
