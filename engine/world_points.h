// Putting the point of the entity being read in world coordinates: its value slots get the world
// point's texts.
#pragma once

#include "engine/run_state.h"
#include "engine/world_coordinates.h"

namespace corvane {

// Puts the point (x, y, z) of the value slots, read in `plane`, in world coordinates back into the
// slots as the shortest texts that read back as the same doubles; the data line then rounds them
// to the configured decimals. A slot whose text is no number leaves every slot as it is, so the
// data line reports that text and its line.
void PutInWorld(const ObjectPlane& plane, ValueSlot& x, ValueSlot& y, ValueSlot& z);

// The same with the plane's Z given as a text of its own (an elevation), which the world point's
// Z replaces in `z`.
void PutInWorld(const ObjectPlane& plane, ValueSlot& x, ValueSlot& y, const ValueSlot& elevation, ValueSlot& z);

}  // namespace corvane
