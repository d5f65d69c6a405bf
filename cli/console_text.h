// Text for the terminal. The tool works on bytes of the system's 8-bit code page (the names of
// drawings and folders as the system gave them); a Windows console shows another code page by
// default, so there the text goes to the console as UTF-16 converted from the ANSI code page, and
// "Müller.dxf" reads as it should. Redirected output, and every other system, get the bytes as they are.
#pragma once

#include <cstdio>
#include <string_view>

namespace corvane {

// Writes `text` to `stream`; false when that failed (errno tells why where the C library sets it).
bool WriteText(std::FILE* stream, std::string_view text);

}  // namespace corvane
