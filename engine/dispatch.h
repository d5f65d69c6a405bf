// The entity dispatcher: offered the name of every entity of the ENTITIES section (the value line
// of a group-0 pair, as read), it starts the reader of that entity when its option is ticked.
#pragma once

#include <string_view>

#include "engine/run_state.h"

namespace corvane {

// Starts the reader of the entity named `line` when its type is enabled. A reader that runs sets
// the phase it leaves the input in; otherwise the entity's pairs follow as code and value lines.
void DispatchEntityName(FileState& file, std::string_view line);

}  // namespace corvane
