// Reading the BLOCKS section into the file's block library, for the points inside blocks.
#pragma once

#include "engine/run_state.h"

namespace corvane {

// Entered just after the line "BLOCKS" that names the section; returns after its ENDSEC (or at the
// end of the input). Each BLOCK's name and base point start a definition; the entities up to its
// ENDBLK go through their readers, whose points the library keeps (in the block's world
// coordinates) instead of writing them.
void ReadBlockDefinitions(FileState& file);

}  // namespace corvane
