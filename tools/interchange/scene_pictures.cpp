#include "tools/interchange/scene_pictures.h"

#include <assimp/material.h>
#include <assimp/scene.h>
#include <stb_image.h>
#include <stb_image_resize.h>

#include <cctype>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "image/bitmap.h"
#include "tools/support/files.h"

namespace {

namespace fs = std::filesystem;

// The most pixels a scene's image may have before it is scaled: 8192 x 8192, 256 MB as it is decoded.
constexpr int64_t kMostPicturePixels = int64_t{1} << 26;

// The image a material's base colour (glTF) or diffuse colour (OBJ and the older formats) takes, as the scene
// names it; empty when it names none.
std::string ImageOf(const aiMaterial* material) {
  aiString path;
  if (material->GetTexture(aiTextureType_BASE_COLOR, 0, &path) != AI_SUCCESS &&
      material->GetTexture(aiTextureType_DIFFUSE, 0, &path) != AI_SUCCESS) {
    return {};
  }
  return path.C_Str();
}

// glTF names files by URI, where a space is "%20"; the reader hands the name over as it stands.
std::string PercentDecoded(const std::string& name) {
  std::string decoded;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '%' && i + 2 < name.size() && isxdigit(static_cast<unsigned char>(name[i + 1])) &&
        isxdigit(static_cast<unsigned char>(name[i + 2]))) {
      decoded += static_cast<char>(strtol(name.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      decoded += name[i];
    }
  }
  return decoded;
}

// The file the scene names, from the scene's folder: as named, then with its URI escapes decoded, then with a
// Windows tool's backslashes as folder separators. The first form when none is there.
std::string FindImageFile(const fs::path& scene_dir, const std::string& name) {
  std::string slashed = name;
  for (char& c : slashed) c = c == '\\' ? '/' : c;
  for (const std::string& form : {name, PercentDecoded(name), slashed}) {
    const fs::path path = fs::path(form).is_absolute() ? fs::path(form) : scene_dir / form;
    std::error_code error;
    if (fs::is_regular_file(path, error)) return path.string();
  }
  return (scene_dir / name).string();
}

// A 16-bit channel as the nearest 8-bit value; taking the high byte alone would darken by up to a step.
uint8_t EightBits(uint16_t value) { return static_cast<uint8_t>((value * 255u + 32767u) / 65535u); }

// Red, green, blue, alpha pixels, top row first, of 8 or 16 bits, into the game's rows, bottom row first.
template <typename Channel>
void TakeRgba(const Channel* rgba, int32_t width, int32_t height, Picture* picture, int64_t* translucent) {
  picture->width = width;
  picture->height = height;
  picture->rgb.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  *translucent = 0;
  for (int32_t y = 0; y < height; ++y) {
    const Channel* in = rgba + static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width) * 4;
    uint8_t* out = picture->rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 3;
    for (int32_t x = 0; x < width; ++x, in += 4, out += 3) {
      for (int c = 0; c < 3; ++c) out[c] = sizeof(Channel) == 1 ? static_cast<uint8_t>(in[c]) : EightBits(in[c]);
      *translucent += in[3] != (sizeof(Channel) == 1 ? 0xFF : 0xFFFF);
    }
  }
}

// What stb says went wrong; it keeps one reason, set by each failure.
std::string StbReason() {
  const char* reason = stbi_failure_reason();
  return reason ? reason : "unknown reason";
}

}  // namespace

std::string SizeText(int64_t width, int64_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

std::vector<MaterialPicture> FindMaterialPictures(const aiScene* scene, const std::string& scene_path,
                                                  const std::vector<int>& slots, const std::vector<bool>& used) {
  const fs::path scene_dir = fs::path(scene_path).parent_path();
  std::vector<MaterialPicture> pictures;
  for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
    const std::string image = ImageOf(scene->mMaterials[i]);
    if (!used[i] || slots[i] < 0 || image.empty()) continue;
    MaterialPicture picture;
    picture.slot = slots[i];
    picture.material = scene->mMaterials[i]->GetName().C_Str();
    picture.name = image;
    // A .glb holds its pictures, named "*0", "*1"...; some formats hold them under a file name.
    if (const aiTexture* held = scene->GetEmbeddedTexture(image.c_str())) {
      if (held->mFilename.length > 0) picture.name = held->mFilename.C_Str();
      picture.name += " in " + fs::path(scene_path).filename().string();
      if (held->mHeight == 0) {
        picture.bytes.assign(reinterpret_cast<const char*>(held->pcData), held->mWidth);
      } else {
        picture.width = static_cast<int32_t>(held->mWidth);
        picture.height = static_cast<int32_t>(held->mHeight);
        for (size_t t = 0; t < size_t{held->mWidth} * held->mHeight; ++t) {
          const aiTexel& texel = held->pcData[t];
          picture.rgba.insert(picture.rgba.end(), {texel.r, texel.g, texel.b, texel.a});
        }
      }
    } else {
      picture.file = FindImageFile(scene_dir, image);
    }
    pictures.push_back(std::move(picture));
  }
  return pictures;
}

bool DecodePicture(const MaterialPicture& source, Picture* picture, int64_t* translucent, std::string* error) {
  if (!source.rgba.empty()) {
    TakeRgba(source.rgba.data(), source.width, source.height, picture, translucent);
    return true;
  }
  std::string file_bytes;
  if (!source.file.empty() && !ReadWholeFile(source.file.c_str(), &file_bytes)) {
    *error = "cannot be read from " + source.file;
    return false;
  }
  const std::string& bytes = source.file.empty() ? source.bytes : file_bytes;
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  *translucent = 0;
  if (bytes.compare(0, 2, "BM") == 0) {
    const char* failure = nullptr;
    ImageRGB* image = DecodeDibBytesSilently(data, bytes.size(), &failure);
    if (!image) {
      *error = std::string("the game's decoder refuses it: ") + failure;
      return false;
    }
    picture->width = image->width;
    picture->height = image->height;
    picture->rgb.assign(image->data, image->data + static_cast<size_t>(image->width) * image->height * 3);
    FreeImage(image);
    return true;
  }
  int width = 0, height = 0, channels = 0;
  const int size = bytes.size() > INT_MAX ? INT_MAX : static_cast<int>(bytes.size());
  if (!stbi_info_from_memory(data, size, &width, &height, &channels)) {
    *error = "is not a PNG, JPEG or Windows bitmap that can be read (" + StbReason() + ")";
    return false;
  }
  if (static_cast<int64_t>(width) * height > kMostPicturePixels) {
    *error = "is " + SizeText(width, height) + " pixels, more than the " + std::to_string(kMostPicturePixels) +
             " the import reads";
    return false;
  }
  // Every kind as red, green, blue and alpha; 16-bit channels are rounded to 8 here, not cut.
  const bool sixteen = stbi_is_16_bit_from_memory(data, size);
  std::unique_ptr<void, void (*)(void*)> pixels(
      sixteen ? static_cast<void*>(stbi_load_16_from_memory(data, size, &width, &height, &channels, 4))
              : static_cast<void*>(stbi_load_from_memory(data, size, &width, &height, &channels, 4)),
      stbi_image_free);
  if (!pixels) {
    *error = "does not decode (" + StbReason() + ")";
    return false;
  }
  if (sixteen) {
    TakeRgba(static_cast<const uint16_t*>(pixels.get()), width, height, picture, translucent);
  } else {
    TakeRgba(static_cast<const uint8_t*>(pixels.get()), width, height, picture, translucent);
  }
  return true;
}

bool TextureSizeAllowed(int32_t width, int32_t height) {
  for (int32_t side : {width, height}) {
    if (side < kSmallestTextureSide || side > kLargestTextureSide || (side & (side - 1)) != 0) return false;
  }
  return true;
}

void TextureSidesAround(int32_t side, int32_t* below, int32_t* above) {
  *below = kSmallestTextureSide;
  while (*below * 2 <= side && *below < kLargestTextureSide) *below *= 2;
  *above = *below < side && *below < kLargestTextureSide ? *below * 2 : *below;
}

int32_t NearestTextureSide(int32_t side) {
  int32_t below, above;
  TextureSidesAround(side, &below, &above);
  // side / below against above / side, in whole numbers.
  return static_cast<int64_t>(side) * side >= static_cast<int64_t>(below) * above ? above : below;
}

Picture ScalePicture(const Picture& picture, int32_t width, int32_t height) {
  Picture scaled;
  scaled.width = width;
  scaled.height = height;
  scaled.rgb.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  // stb's defaults: Mitchell-Netravali when shrinking, which keeps fine detail from aliasing with little
  // ringing, Catmull-Rom when enlarging, which keeps edges sharp. Painted pictures are sRGB: mixing their values
  // as they stand would darken fine light detail. Textures repeat, so the edges wrap.
  stbir_resize_uint8_srgb_edgemode(picture.rgb.data(), picture.width, picture.height, 0, scaled.rgb.data(), width,
                                   height, 0, 3, STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_WRAP);
  return scaled;
}
