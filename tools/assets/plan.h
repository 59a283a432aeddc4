// The level plan: the world drawn from above as SVG, with the walkable area and its collision boxes.
#pragma once

#include "scene/world.h"

// Writes the plan of world to out_path; false (with the reason on standard error) when it cannot be written.
bool WriteLevelPlan(const World& world, const char* out_path);
