// The program names files with 8-bit texts: what the command line, the window's boxes and the
// configuration files hold. On Windows those texts are in the ANSI code page, as the system's
// 8-bit calls read them; std::filesystem on MinGW would take the same bytes as UTF-8 and turn
// "d_été.dxf" into a name no file has. Every path object built from such a text, and every text
// read back from a path object, goes through these two.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace corvane {

// The path a text names. Elsewhere than on Windows the bytes are the name, as they stand.
std::filesystem::path PathFromText(std::string_view text);

// The text of a path. On Windows a character the ANSI code page lacks becomes "?", as the
// system's own 8-bit calls give it, so such a name is shown but never opens another file.
std::string TextOfPath(const std::filesystem::path& path);

// True for a name ending in ".dxf" in any letter case.
bool IsDxfName(std::string_view name);

// True when the last part of `path` ends in ".dxf" in any letter case.
bool NamesDxfFile(std::string_view path);

}  // namespace corvane
