// The bitmap files the scene's sixteen textures are made from, in slot order. No OpenGL here: loaders,
// tools and tests name the set without linking the renderer.
#pragma once

constexpr int kSceneTextureCount = 16;

// The slot order is the load order; world triangles and the renderer speak in these slot numbers.
inline constexpr const char* kSceneTextureFiles[kSceneTextureCount] = {
    "floor1.bmp", "door1.bmp",  "wall1.bmp",  "crate.bmp", "sand.bmp",  "tree.bmp",   "green.bmp",  "title.bmp",
    "red.bmp",    "energy.bmp", "brick1.bmp", "waterfall.bmp", "door2.bmp", "intro.bmp", "pressX.bmp", "waterfall2.bmp",
};

// The bitmap file a scene texture slot is made from (slot 0 to 15).
constexpr const char* SceneTextureFile(int slot) { return kSceneTextureFiles[slot]; }
