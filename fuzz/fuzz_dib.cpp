// Fuzzes the bitmap decoder: any bytes either decode into an image whose every pixel can be read, or are
// refused with exactly one message; and the plain loops, SSSE3 and the best instructions of the processor give
// the same image or the same message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "image/bitmap.h"
#include "platform/scripted/scripted.h"

namespace {

// One decoding's outcome: the message, or the size and pixels.
struct Outcome {
  std::string message;
  int32_t width = 0;
  int32_t height = 0;
  std::string rgb;
};

Outcome Decode(const uint8_t* data, size_t size, DibInstructions allowed) {
  ScriptedState& state = Scripted();
  state.message_boxes.clear();
  state.calls.clear();
  SetDibInstructions(allowed);
  ImageRGB* image = DecodeDibBytes(data, size, "fuzz.bmp");
  SetDibInstructions(DibInstructions::kBest);
  Outcome outcome;
  if (!image) {
    if (state.message_boxes.size() != 1) abort();
    outcome.message = state.message_boxes[0].text;
    return outcome;
  }
  if (!state.message_boxes.empty() || image->width <= 0 || image->height <= 0 || !image->data) abort();
  // Every byte of the block is read: a block shorter than width x height x 3 shows.
  const size_t bytes = static_cast<size_t>(image->width) * image->height * 3;
  outcome.width = image->width;
  outcome.height = image->height;
  outcome.rgb.assign(reinterpret_cast<const char*>(image->data), bytes);
  FreeImage(image);
  return outcome;
}

bool Same(const Outcome& a, const Outcome& b) {
  return a.message == b.message && a.width == b.width && a.height == b.height && a.rgb == b.rgb;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Outcome plain = Decode(data, size, DibInstructions::kPlain);
  if (!Same(Decode(data, size, DibInstructions::kSsse3), plain)) abort();
  if (!Same(Decode(data, size, DibInstructions::kBest), plain)) abort();
  return 0;
}
