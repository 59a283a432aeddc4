// gorvane-assets export WORLD --out DIR/NAME.gltf|DIR/NAME.glb: writes the level as a glTF scene to edit in a
// modelling tool, with each slot's texture as a PNG, decoded by the game's own decoder from the bitmaps in WORLD's
// folder: beside a .gltf, inside a .glb.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "image/bitmap.h"
#include "scene/world_reader.h"
#include "tools/commands/commands.h"
#include "tools/interchange/level_export.h"
#include "tools/interchange/scene_import.h"
#include "tools/interchange/staged_files.h"
#include "tools/support/files.h"
#include "tools/support/messages.h"
#include "tools/support/png_file.h"

namespace {

// Decodes the slot's bitmap from the level's folder into a PNG file's bytes; empty, with the reason on standard
// error, when the bitmap does not decode.
std::string SlotPicture(int slot, const std::filesystem::path& bitmap_dir) {
  const std::string bitmap = (bitmap_dir / SceneTextureFile(slot)).string();
  ImageRGB* image = LoadBitmapFile(bitmap.c_str());
  if (!image) {
    PrintShownMessages();
    fprintf(stderr, "gorvane-assets: %s did not load: the material %s gets no texture\n", bitmap.c_str(),
            SlotStem(slot).c_str());
    return {};
  }
  // The bitmap's rows are stored bottom-up, a PNG's top row first.
  const size_t row = static_cast<size_t>(image->width) * 3;
  std::vector<uint8_t> rgb(row * static_cast<size_t>(image->height));
  for (int32_t y = 0; y < image->height; ++y) {
    memcpy(rgb.data() + row * static_cast<size_t>(image->height - 1 - y), image->data + row * static_cast<size_t>(y),
           row);
  }
  std::string png = PngBytes(rgb, image->width, image->height);
  FreeImage(image);
  return png;
}

}  // namespace

int RunExportCommand(int argc, char** argv) {
  if (argc != 3 || strcmp(argv[1], "--out") != 0 || argv[0][0] == '-') return CommandUsage("export");
  const char* world_path = argv[0];
  const std::filesystem::path out = argv[2];
  if ((out.extension() != ".gltf" && out.extension() != ".glb") || out.stem().empty()) return CommandUsage("export");

  std::string bytes;
  if (!ReadWholeFile(world_path, &bytes)) {
    fprintf(stderr, "gorvane-assets: %s: cannot be read\n", world_path);
    return 1;
  }
  World world;
  std::vector<WorldIssue> issues;
  bool whole = ParseWorld(bytes.data(), bytes.size(), &world, &issues);
  for (const WorldIssue& issue : issues) fprintf(stderr, "%s:%d: %s\n", world_path, issue.line, issue.reason.c_str());
  // A level that does not load whole is not exported; nor one with "inf" or "nan" among its numbers, which the
  // loader reads and a glTF file has no way to hold.
  for (int32_t i = 0; whole && i < world.triangle_count; ++i) {
    for (const WorldVertex& v : world.triangles[i].vertices) {
      if (whole && !(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.u) &&
                     std::isfinite(v.v))) {
        fprintf(stderr, "gorvane-assets: %s: triangle %d has a corner that is not a finite number\n", world_path,
                i + 1);
        whole = false;
      }
    }
  }
  if (!whole) {
    fprintf(stderr, "gorvane-assets: %s: nothing is exported\n", world_path);
    ReleaseWorld(&world);
    return 1;
  }

  const std::filesystem::path bitmap_dir = std::filesystem::path(world_path).parent_path();
  const std::filesystem::path out_dir = out.parent_path();
  std::error_code no_directory;
  if (!out_dir.empty() && !std::filesystem::is_directory(out_dir, no_directory)) {
    fprintf(stderr, "gorvane-assets: %s: no such directory\n", out_dir.string().c_str());
    ReleaseWorld(&world);
    return 1;
  }
  std::string pngs[kSceneTextureCount];
  const std::vector<int> slots = SlotsUsed(world);
  std::string error;
  // A .gltf names its pictures beside it; a .glb holds them.
  StagedFiles pictures;
  for (int slot : slots) {
    pngs[slot] = SlotPicture(slot, bitmap_dir);
    const std::string png = (out_dir / (SlotStem(slot) + ".png")).string();
    if (out.extension() == ".gltf" && !pngs[slot].empty() && !pictures.Stage(png, pngs[slot], &error)) {
      fprintf(stderr, "gorvane-assets: %s: the material %s gets no texture\n", error.c_str(), SlotStem(slot).c_str());
      pngs[slot].clear();
    }
  }
  if (!pictures.Commit(&error)) {
    fprintf(stderr, "gorvane-assets: %s\n", error.c_str());
    ReleaseWorld(&world);
    return 1;
  }
  const bool exported = ExportLevel(world, out.string(), pngs, &error);
  const int32_t count = world.triangle_count;
  const size_t meshes = SlotRuns(world).size();
  ReleaseWorld(&world);
  if (!exported) {
    fprintf(stderr, "gorvane-assets: %s\n", error.c_str());
    return 1;
  }
  printf("%s: %d triangles in %zu meshes of %zu materials (", out.string().c_str(), count, meshes, slots.size());
  for (size_t i = 0; i < slots.size(); ++i) printf("%s%s", i ? ", " : "", SlotStem(slots[i]).c_str());
  printf("), the collision outlines and the start\n");
  return 0;
}
