// The entity dispatcher: offered every line of the main loop, it starts the reader of an entity
// whose type name stands on the value line of a group-0 pair, when that type is enabled.
#pragma once

#include <string_view>

#include "engine/run_state.h"

namespace corvane {

// `line` is the line as read, unchanged. Keeps file.phase in step with the pair structure.
void DispatchEntityLine(FileState& file, std::string_view line);

}  // namespace corvane
