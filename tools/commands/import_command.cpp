// gorvane-assets import SCENE --out WORLD [--scale S] [--slot NAME=SLOT]... [--resize-images | --no-bitmaps]: turns
// a scene from a modelling tool into a world file and the scene bitmaps beside it, says what it wrote, and checks
// the walls against the player's fixed collision as the world command does.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "scene/texture_files.h"
#include "tools/commands/commands.h"
#include "tools/interchange/scene_bitmaps.h"
#include "tools/interchange/scene_import.h"
#include "tools/interchange/staged_files.h"
#include "tools/interchange/world_writer.h"
#include "tools/level/world_report.h"

namespace {

// SLOT is a slot number, 0 to 15, or a scene texture's name.
bool ParseSlotRule(const char* text, ImportOptions* options) {
  const char* equals = strrchr(text, '=');
  if (!equals || equals == text || equals[1] == '\0') return false;
  const char* slot_text = equals + 1;
  int slot = -1;
  if (strspn(slot_text, "0123456789") == strlen(slot_text)) {
    if (strlen(slot_text) <= 2) slot = atoi(slot_text);
    if (slot >= kSceneTextureCount) slot = -1;
  } else {
    slot = SlotOfName(slot_text);
  }
  if (slot < 0) {
    fprintf(stderr, "gorvane-assets: --slot %s: %s is neither a slot number 0 to 15 nor a scene texture's name\n",
            text, slot_text);
    return false;
  }
  options->slot_names.emplace_back(SlotMatchName(std::string_view(text, static_cast<size_t>(equals - text))), slot);
  return true;
}

void PrintWhatWasWritten(const ImportedScene& scene) {
  int64_t per_slot[kSceneTextureCount] = {};
  float low[3] = {INFINITY, INFINITY, INFINITY}, high[3] = {-INFINITY, -INFINITY, -INFINITY};
  for (const ImportedTriangle& t : scene.triangles) {
    ++per_slot[t.texture_slot];
    for (uint32_t corner : t.corners) {
      const WorldVertex& v = scene.corners[corner];
      const float position[3] = {v.x, v.y, v.z};
      for (int axis = 0; axis < 3; ++axis) {
        low[axis] = std::min(low[axis], position[axis]);
        high[axis] = std::max(high[axis], position[axis]);
      }
    }
  }
  for (int slot = 0; slot < kSceneTextureCount; ++slot) {
    if (per_slot[slot] == 0) continue;
    printf("slot %d (%s): %lld %s\n", slot, SlotStem(slot).c_str(), static_cast<long long>(per_slot[slot]),
           per_slot[slot] == 1 ? "triangle" : "triangles");
  }
  printf("bounds: x %g..%g, y %g..%g, z %g..%g\n", double(low[0]), double(high[0]), double(low[1]), double(high[1]),
         double(low[2]), double(high[2]));
}

}  // namespace

int RunImportCommand(int argc, char** argv) {
  const char* scene_path = nullptr;
  const char* out_path = nullptr;
  ImportOptions options;
  bool bitmaps = true, resize = false;
  for (int i = 0; i < argc; ++i) {
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (strcmp(argv[i], "--out") == 0 && value && value[0] != '\0') {
      out_path = argv[++i];
    } else if (strcmp(argv[i], "--scale") == 0 && value) {
      char* end = nullptr;
      options.scale = strtod(argv[++i], &end);
      if (end == value || *end != '\0' || !std::isfinite(options.scale) || options.scale <= 0) {
        return CommandUsage("import");
      }
    } else if (strcmp(argv[i], "--slot") == 0 && value) {
      if (!ParseSlotRule(argv[++i], &options)) return CommandUsage("import");
    } else if (strcmp(argv[i], "--no-bitmaps") == 0) {
      bitmaps = false;
    } else if (strcmp(argv[i], "--resize-images") == 0) {
      resize = true;
    } else if (argv[i][0] == '-' || scene_path) {
      return CommandUsage("import");
    } else {
      scene_path = argv[i];
    }
  }
  if (!scene_path || !out_path || (resize && !bitmaps)) return CommandUsage("import");

  ImportedScene scene;
  std::string error;
  bool imported = ImportScene(scene_path, options, &scene, &error);
  // The bitmaps are decided before anything is written: a refused picture leaves the world as it was too.
  std::vector<SlotBitmap> plan(kSceneTextureCount);
  if (imported && bitmaps) {
    bool used[kSceneTextureCount] = {};
    for (const ImportedTriangle& t : scene.triangles) used[t.texture_slot] = true;
    const std::string bitmap_dir = std::filesystem::path(out_path).parent_path().string();
    imported = PlanSceneBitmaps(scene.pictures, used, bitmap_dir, resize, &plan, &scene.warnings, &error);
  }
  for (const std::string& warning : scene.warnings) fprintf(stderr, "gorvane-assets: %s\n", warning.c_str());
  if (!imported) {
    fprintf(stderr, "gorvane-assets: %s\n", error.c_str());
    fprintf(stderr, "gorvane-assets: %s and its bitmaps are left as they were\n", out_path);
    return 1;
  }
  // Every file whole beside its place first; then the bitmaps, and the world last, renamed into place.
  const std::string origin = std::filesystem::path(scene_path).filename().string();
  StagedFiles files;
  bool staged = true;
  for (const SlotBitmap& bitmap : plan) {
    if (bitmap.fate == BitmapFate::kWritten) staged = staged && files.Stage(bitmap.path, bitmap.bytes, &error);
  }
  if (!staged || !files.Stage(out_path, WorldFileText(scene, origin), &error) || !files.Commit(&error)) {
    fprintf(stderr, "gorvane-assets: %s\n", error.c_str());
    return 1;
  }
  PrintWhatWasWritten(scene);
  if (bitmaps) {
    printf("%s", BitmapReport(plan).c_str());
  } else {
    printf("bitmaps left alone: all sixteen (--no-bitmaps)\n");
  }
  // The game's own loader reads the file back, and the collision check judges it, as `world --collision` does.
  WorldReport check;
  check.collision = true;
  ReportWorldFile(out_path, check);
  return 0;
}
