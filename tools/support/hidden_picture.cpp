#include "tools/support/hidden_picture.h"

#include <algorithm>
#include <cstdio>

#include "platform/gl.h"
#include "platform/offscreen.h"

OffscreenGl* StartHiddenContext() {
  OffscreenGl* gl = OffscreenCreate(kPictureWidth, kPictureHeight);
  if (!gl || !OffscreenMakeCurrent(gl)) {
    fprintf(stderr, "gorvane-assets: this system gives no hidden OpenGL context to draw into\n");
    OffscreenDestroy(gl);
    return nullptr;
  }
  return gl;
}

std::vector<uint8_t> ReadPicture() {
  std::vector<uint8_t> rows(static_cast<size_t>(kPictureWidth) * kPictureHeight * 3);
  glFinish();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kPictureWidth, kPictureHeight, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
  // OpenGL hands rows bottom-up; pictures are stored top row first.
  std::vector<uint8_t> picture(rows.size());
  const size_t stride = static_cast<size_t>(kPictureWidth) * 3;
  for (int y = 0; y < kPictureHeight; y++) {
    std::copy_n(rows.data() + (kPictureHeight - 1 - y) * stride, stride, picture.data() + y * stride);
  }
  return picture;
}
