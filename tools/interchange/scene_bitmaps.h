// The scene bitmaps an import makes from the pictures of the scene's materials: which are written, which are
// kept because they hold those pixels already, and which are left alone.
#pragma once

#include <string>
#include <vector>

#include "scene/texture_files.h"
#include "tools/interchange/scene_pictures.h"

enum class BitmapFate { kLeftAlone, kKept, kWritten };

struct SlotBitmap {
  BitmapFate fate = BitmapFate::kLeftAlone;
  // Written or kept: the picture it comes from, as the level maker knows it. Left alone: why.
  std::string what;
  // Written: where, and the file's bytes.
  std::string path;
  std::string bytes;
};

// Decides each of the sixteen bitmaps in bitmap_dir from the pictures of the slots the scene's triangles use
// (used[slot]). The status bars' and the title screen's bitmaps are never written. A picture whose sides the game
// does not take is scaled to the nearest size it does when resize is set. False, with every reason on a line of
// its own in *error, when anything is refused: a picture that cannot be read, two different pictures for one
// slot, a size the game does not take. An alpha channel dropped is said in *warnings.
bool PlanSceneBitmaps(const std::vector<MaterialPicture>& pictures, const bool (&used)[kSceneTextureCount],
                      const std::string& bitmap_dir, bool resize, std::vector<SlotBitmap>* plan,
                      std::vector<std::string>* warnings, std::string* error);

// What became of the bitmaps, one line each written or kept, then one line for those left alone.
std::string BitmapReport(const std::vector<SlotBitmap>& plan);
