// Helpers for drawing the scene offscreen: a context set up the way scene initialisation leaves it, textures of
// known colours in every slot, worlds built in memory, and the game run frame by frame.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/globals.h"
#include "platform/gl.h"
#include "platform/scripted/scripted.h"
#include "scene/world.h"

// A 640 x 480 context with the projection and the fixed state of a freshly initialised scene.
class SceneContext {
 public:
  SceneContext();
  bool ok() const { return context_->ok(); }

 private:
  std::unique_ptr<ScriptedGlContext> context_;
};

// Makes a texture of 2 x 2 texels (bottom row first, RGB) with nearest filtering; returns its name.
uint32_t MakeTexture(const uint8_t texels[12]);
// One colour everywhere.
uint32_t MakeSolidTexture(uint8_t r, uint8_t g, uint8_t b);
// Fills every slot with a solid texture: slot 9 (the status bars) white, slot 14 (the title) four quadrants
// red, green / blue, yellow, and slot s otherwise the colour kSlotColours[s].
void InstallTextures();
extern const uint8_t kSlotColours[16][3];

// Replaces the game's world with these triangles (malloc'd, so the game can release them).
void SetWorld(const std::vector<WorldTriangle>& triangles);
// An upright square wall facing the eye at depth z (negative ahead), centred at (x, 0.25), of half-size half.
WorldTriangle WallTriangle(int slot, float x, float z, float half, bool upper);
// Both triangles of such a wall.
void AddWall(std::vector<WorldTriangle>* triangles, int slot, float x, float z, float half);

// One pixel as r, g, b.
struct Rgb {
  int r, g, b;
};
Rgb PixelAt(int x, int y);

// Runs the real game from a temporary directory holding the shipped bitmaps and world_text as "world.dat",
// answering No to the start question. on_frame runs at the swap of every frame the loop ran (drawn or not),
// numbered from 1; swaps caused by messages the callback queued are passed over.
int RunFrames(const std::string& world_text, const std::function<void(int frame)>& on_frame);
