// The folder of the running program, where the lookup lists, default.crv and the
// configurations folder live.
#pragma once

#include <string>

namespace corvane {

// The folder of the executable, ending with a path separator; "" when it cannot be found.
std::string ProgramFolder();

}  // namespace corvane
