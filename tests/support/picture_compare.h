// One comparison of two pictures of the game's 640x480 frame, for the data tests and the end-to-end scripts alike
// (the scripts call it as `look compare BOUND A B`), with one bound for each pair of renderers it compares.
// A pixel differs when one of its channels is further off than the bound's distance, as ImageMagick's
// `compare -metric AE -fuzz` counts them.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// How far apart two pictures drawn by one pair of renderers may be and still show the same view.
struct PictureBound {
  const char* name;        // what the scripts call it
  int channel_distance;    // a pixel differs when one of its channels is further off than this (levels of 255)
  int most_differing;      // at most this many pixels may differ
  double most_mean;        // the mean difference over every channel, in levels of 255
};

// The asset tool's view against the game's own frame at the same place and tick: the same code draws both.
inline constexpr PictureBound kToolAgainstGame = {"tool-game", 0, 0, 0};

// Another build of the software renderer (the game's window under Xvfb, a Release or a sanitized build, another
// compiler) against the kept views. Builds round texture filtering and fog a level or two differently, and may
// move an edge that crosses a pixel centre almost exactly by one pixel: a few hundred pixels along edges, each
// off by a few levels. What a player would notice changes far more: a texture, the fog, a sky colour or a wall
// moved by a twentieth of a unit changes thousands of pixels by more than the distance, or shifts the whole
// picture, and a fog or a tint a little off already moves the mean by more than a level.
inline constexpr PictureBound kSoftwareAgainstKept = {"software", 24, 1536, 1.0};

// The preview's window (24-bit, its colour buffer rounds a little differently) against the view command's
// picture of the same place. No bound on the mean: the count of pixels off by more than a few levels (3% of the
// range) decides.
inline constexpr PictureBound kPreviewAgainstView = {"preview", 7, 2999, 255};

// The Windows programs under Wine (WGL on the software renderer, the tool through its hidden window) against the
// kept views, which were drawn through EGL.
inline constexpr PictureBound kWineAgainstKept = {"wine", 24, 1536, 1.0};

// The web page in headless Chromium (its OpenGL 1.1 over WebGL, drawn by SwiftShader) against the kept views:
// measured 3 pixels off and a mean of 0.35 levels at the start, which a fog of 0.05 (1.4 levels) or mirrored
// texture coordinates (38,000 pixels) exceed.
inline constexpr PictureBound kBrowserAgainstKept = {"browser", 24, 1536, 1.0};

// Every bound by name, for look compare. A new pair of renderers gets a bound of its own here rather than a
// looser one shared with the others.
inline constexpr PictureBound kPictureBounds[] = {kToolAgainstGame, kSoftwareAgainstKept, kPreviewAgainstView,
                                                  kWineAgainstKept, kBrowserAgainstKept};

struct PictureDifference {
  int differing;  // pixels with a channel further off than the bound allows (every pixel for unlike sizes)
  double mean;    // the mean difference over every channel, in levels of 255
  bool within;    // whether the bound holds
};

// Compares two RGB pictures of the same size (top row first) within BOUND; pictures of unlike sizes differ.
PictureDifference ComparePictures(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                                  const PictureBound& bound);

// The bound the scripts call NAME; null when there is none.
const PictureBound* FindPictureBound(std::string_view name);
