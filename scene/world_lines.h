// The common lines of a world file, read without finding their ends first: a slot line of one or two decimal
// digits, and a corner line of five short decimals apart by white space.
#pragma once

#include <cstdint>

#include "scene/world.h"
#include "scene/world_text.h"

namespace worldfile {

// Each reader gives exactly what the general reader gives for such a line and takes the line; for anything else
// it returns false having consumed nothing (a comment or blank line, a number the general reader must weigh, a
// line too long to be one piece, the text's last few hundred characters), and the general reader takes the line.
bool ReadSlotLine(PieceCursor& cursor, int64_t* slot);
bool ReadCornerLine(PieceCursor& cursor, WorldVertex* vertex);

}  // namespace worldfile
