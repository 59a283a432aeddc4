// The scene's sixteen textures, made from fixed bitmap files in slot order, and the model's texture maker.
#include "scene/textures.h"

#include <type_traits>

#include "app/globals.h"
#include "image/bitmap.h"
#include "platform/gl.h"

static_assert(std::is_same_v<GLuint, uint32_t>, "texture names are stored as 32-bit unsigned values");

namespace {

constexpr const char* kModelTextureFile = "potion.bmp";
constexpr uint32_t kMissingModelTexture = 7;

// Uploads the image into the bound texture with linear filtering. Rows are tightly packed, so the unpack
// alignment is 1 for the upload (a row of 3 x width bytes is not always a multiple of 4).
void UploadBoundTexture(const ImageRGB* image) {
  GLint previous_alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &previous_alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, 3, image->width, image->height, 0, GL_RGB, GL_UNSIGNED_BYTE, image->data);
  glPixelStorei(GL_UNPACK_ALIGNMENT, previous_alignment);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

}  // namespace

int LoadSceneTextures() {
  ImageRGB* images[kSceneTextureCount] = {};
  for (int slot = 0; slot < kSceneTextureCount; slot++) {
    images[slot] = LoadBitmapFile(kSceneTextureFiles[slot]);
    if (!images[slot]) {
      // No texture names are made for a set that is not whole.
      for (int loaded = 0; loaded < slot; loaded++) FreeImage(images[loaded]);
      return 0;
    }
  }
  glGenTextures(kSceneTextureCount, g_game.textures.names);
  for (int slot = 0; slot < kSceneTextureCount; slot++) {
    glBindTexture(GL_TEXTURE_2D, g_game.textures.names[slot]);
    UploadBoundTexture(images[slot]);
  }
  for (ImageRGB* image : images) FreeImage(image);
  return 1;
}

uint32_t LoadModelTexture(const char*) {
  // Every material's texture comes from the one model texture file, each call a texture of its own.
  ImageRGB* image = LoadBitmapFile(kModelTextureFile);
  if (!image) return kMissingModelTexture;
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  UploadBoundTexture(image);
  FreeImage(image);
  return name;
}
