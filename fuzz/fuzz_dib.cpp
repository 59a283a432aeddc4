// Fuzzes the bitmap decoder: any bytes either decode into an image whose every pixel can be read, or are
// refused with exactly one message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "image/bitmap.h"
#include "platform/scripted/scripted.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScriptedState& state = Scripted();
  state.message_boxes.clear();
  state.calls.clear();
  ImageRGB* image = DecodeDibBytes(data, size, "fuzz.bmp");
  if (!image) {
    if (state.message_boxes.size() != 1) abort();
    return 0;
  }
  if (!state.message_boxes.empty() || image->width <= 0 || image->height <= 0 || !image->data) abort();
  // The first and last byte of the block: a block shorter than width x height x 3 shows.
  const size_t bytes = static_cast<size_t>(image->width) * image->height * 3;
  volatile uint8_t sink = image->data[0] + image->data[bytes - 1];
  (void)sink;
  FreeImage(image);
  return 0;
}
