#include "tools/interchange/scene_bitmaps.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <utility>

#include "image/bitmap.h"
#include "tools/support/files.h"
#include "tools/interchange/bitmap_writer.h"
#include "tools/interchange/scene_import.h"

namespace {

// The slots whose bitmaps are not world surfaces: 9, the status bars; 14, the title screen.
bool IsWorldSurface(int slot) { return slot != 9 && slot != 14; }

// A material's name as the level maker typed it, quoted, since it may hold spaces.
std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// A picture decoded once however many materials name it, and its warning given once.
struct Decoded {
  bool ok = false;
  Picture picture;
  std::string error;
};

// The picture decoded, from the cache when another material named it already.
const Decoded& DecodeOnce(const MaterialPicture& source, std::map<std::string, Decoded>* decoded,
                          std::vector<std::string>* warnings) {
  // A held picture is known by its name in the scene, a file by where it lies.
  const std::string key = source.file.empty() ? "held " + source.name : "file " + source.file;
  auto [at, added] = decoded->try_emplace(key);
  if (added) {
    int64_t translucent = 0;
    at->second.ok = DecodePicture(source, &at->second.picture, &translucent, &at->second.error);
    if (translucent > 0) {
      warnings->push_back(source.name + ": " + std::to_string(translucent) +
                          " pixels are not wholly opaque; the game draws no transparency, so the alpha channel is "
                          "dropped");
    }
  }
  return at->second;
}

// Why a size is refused, with the sizes that would do and what --resize-images would make of it.
std::string SizeRefusal(const MaterialPicture& source, const Picture& picture) {
  int32_t sides[2][2];
  TextureSidesAround(picture.width, &sides[0][0], &sides[0][1]);
  TextureSidesAround(picture.height, &sides[1][0], &sides[1][1]);
  auto choices = [](const int32_t (&around)[2]) {
    return around[0] == around[1] ? std::to_string(around[0])
                                  : std::to_string(around[0]) + " or " + std::to_string(around[1]);
  };
  return source.name + " is " + SizeText(picture.width, picture.height) +
         " pixels; the game's textures have sides that are powers of two from " +
         std::to_string(kSmallestTextureSide) + " to " + std::to_string(kLargestTextureSide) + ": " +
         choices(sides[0]) + " wide and " + choices(sides[1]) + " high would do (--resize-images scales it to " +
         SizeText(NearestTextureSide(picture.width), NearestTextureSide(picture.height)) + ")";
}

// Whether the bitmap file at path holds exactly these pixels, as the game's decoder reads it.
bool HoldsPicture(const std::string& path, const Picture& picture) {
  std::string bytes;
  if (!ReadWholeFile(path.c_str(), &bytes)) return false;
  const char* failure = nullptr;
  ImageRGB* image = DecodeDibBytesSilently(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &failure);
  const bool same = image && image->width == picture.width && image->height == picture.height &&
                    std::equal(picture.rgb.begin(), picture.rgb.end(), image->data);
  FreeImage(image);
  return same;
}

}  // namespace

bool PlanSceneBitmaps(const std::vector<MaterialPicture>& pictures, const bool (&used)[kSceneTextureCount],
                      const std::string& bitmap_dir, bool resize, std::vector<SlotBitmap>* plan,
                      std::vector<std::string>* warnings, std::string* error) {
  plan->assign(kSceneTextureCount, SlotBitmap());
  std::map<std::string, Decoded> decoded;
  std::vector<std::string> refusals;
  for (int slot = 0; slot < kSceneTextureCount; ++slot) {
    SlotBitmap& bitmap = (*plan)[static_cast<size_t>(slot)];
    if (!IsWorldSurface(slot)) {
      bitmap.what = "not a world surface";
      continue;
    }
    if (!used[slot]) {
      bitmap.what = "not used by the scene";
      continue;
    }
    const MaterialPicture* first = nullptr;
    const Picture* picture = nullptr;
    bool refused = false;
    for (const MaterialPicture& source : pictures) {
      if (source.slot != slot) continue;
      const Decoded& got = DecodeOnce(source, &decoded, warnings);
      if (!got.ok) {
        refusals.push_back("the material " + Quoted(source.material) + ": its image " + source.name + " " +
                           got.error);
        refused = true;
      } else if (!picture) {
        first = &source;
        picture = &got.picture;
      } else if (!(got.picture == *picture)) {
        refusals.push_back("slot " + std::to_string(slot) + " (" + SlotStem(slot) + ") has one bitmap, but its "
                           "materials " + Quoted(first->material) + " and " + Quoted(source.material) +
                           " have different images: " + first->name + " and " + source.name);
        refused = true;
      }
    }
    if (refused) continue;
    if (!picture) {
      bitmap.what = "no material names an image";
      continue;
    }
    bitmap.what = first->name;
    Picture scaled;
    if (!TextureSizeAllowed(picture->width, picture->height)) {
      if (!resize) {
        refusals.push_back(SizeRefusal(*first, *picture));
        continue;
      }
      scaled = ScalePicture(*picture, NearestTextureSide(picture->width), NearestTextureSide(picture->height));
      bitmap.what += " scaled from " + SizeText(picture->width, picture->height);
      picture = &scaled;
    }
    bitmap.path = (std::filesystem::path(bitmap_dir) / SceneTextureFile(slot)).string();
    if (HoldsPicture(bitmap.path, *picture)) {
      bitmap.fate = BitmapFate::kKept;
    } else {
      bitmap.fate = BitmapFate::kWritten;
      bitmap.what += " (" + SizeText(picture->width, picture->height) + ")";
      bitmap.bytes = BitmapFileBytes(picture->rgb.data(), picture->width, picture->height);
    }
  }
  for (const std::string& refusal : refusals) *error += (error->empty() ? "" : "\n") + refusal;
  return refusals.empty();
}

std::string BitmapReport(const std::vector<SlotBitmap>& plan) {
  std::string report;
  // Those left alone, grouped by why, in the order each reason first comes.
  std::vector<std::pair<std::string, std::string>> alone;
  for (size_t slot = 0; slot < plan.size(); ++slot) {
    const SlotBitmap& bitmap = plan[slot];
    const std::string name = SceneTextureFile(static_cast<int>(slot));
    if (bitmap.fate == BitmapFate::kWritten) report += bitmap.path + ": written from " + bitmap.what + "\n";
    if (bitmap.fate == BitmapFate::kKept) report += bitmap.path + ": kept, " + bitmap.what + " has its pixels\n";
    if (bitmap.fate != BitmapFate::kLeftAlone) continue;
    auto group = std::find_if(alone.begin(), alone.end(), [&](const auto& g) { return g.first == bitmap.what; });
    if (group == alone.end()) {
      alone.emplace_back(bitmap.what, name);
    } else {
      group->second += ", " + name;
    }
  }
  if (alone.empty()) return report;
  report += "bitmaps left alone: ";
  for (size_t i = 0; i < alone.size(); ++i) {
    report += (i ? "; " : "") + alone[i].second + " (" + alone[i].first + ")";
  }
  return report + "\n";
}
