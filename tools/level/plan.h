// The level plan: the world drawn from above as SVG, with the walkable area and its collision boxes.
#pragma once

#include "scene/world.h"
#include "tools/level/collision_check.h"

// Writes the plan of world to out_path; false (with the reason on standard error) when it cannot be written.
// With a collision report, its walls in open ground and its bare edge stretches are marked in colours of their
// own.
bool WriteLevelPlan(const World& world, const char* out_path, const collision::Report* findings = nullptr);
