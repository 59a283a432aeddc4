// The pictures a scene's materials name: found as the scene refers to them, decoded into the rows the game
// makes its textures from, and held to the sizes the game's OpenGL takes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct aiScene;

// The sides a scene texture may have: powers of two from 4 to 1024. The game uploads each bitmap at its own size
// with no scaling, and OpenGL 1.1 takes only sides that are powers of two (others draw white). 4 at least, as
// the rows go to OpenGL tightly packed under its default unpack alignment of 4 bytes, which a row of 3 x width
// bytes fills only from width 4 on; 1024 at most, the GL_MAX_TEXTURE_SIZE that the software OpenGL 1.1 shipped
// with Windows reports, all a player without a graphics driver has. (The shipped bitmaps are at most 256.)
constexpr int32_t kSmallestTextureSide = 4;
constexpr int32_t kLargestTextureSide = 1024;

// An image a material of the scene names, as the scene was read.
struct MaterialPicture {
  int slot = -1;
  std::string material;  // the material's name
  std::string name;      // the image as the scene names it: a path, or a held picture's name
  std::string file;      // where the file was found, or looked for; empty for a picture held in the scene
  std::string bytes;     // a held picture's file bytes (a .glb's, or a data URI's)
  // A held picture that came unencoded: width x height pixels of red, green, blue, alpha, top row first.
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> rgba;
};

// A picture as the game holds a texture: width x height pixels of 8-bit red, green, blue, bottom row first.
struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> rgb;
  bool operator==(const Picture&) const = default;
};

// The images named by the materials the scene's triangles use (used[i] for material i, slots[i] its slot), in
// material order. A file is looked for as the scene names it, from the scene file's folder.
std::vector<MaterialPicture> FindMaterialPictures(const aiScene* scene, const std::string& scene_path,
                                                  const std::vector<int>& slots, const std::vector<bool>& used);

// Decodes an image: PNG or JPEG of any bit depth, grey or colour, or a Windows bitmap (with the game's decoder).
// *translucent counts the pixels that were not wholly opaque, which the game cannot show. False, with the
// reason in *error, when the image cannot be read or decoded.
bool DecodePicture(const MaterialPicture& source, Picture* picture, int64_t* translucent, std::string* error);

// Whether the game takes a texture of this size.
bool TextureSizeAllowed(int32_t width, int32_t height);
// The allowed sides next to side: the largest not above it and the smallest not below it (the same one when
// side is allowed; the nearest end of the range when side lies outside it).
void TextureSidesAround(int32_t side, int32_t* below, int32_t* above);
// Of the two, the one nearer side by ratio, the larger on a tie: 300 gives 256, 384 gives 512.
int32_t NearestTextureSide(int32_t side);

// A picture's size as the level maker reads it: "300 x 200".
std::string SizeText(int64_t width, int64_t height);

// The picture scaled to width x height, in linear light, wrapping round its edges as the texture repeats.
Picture ScalePicture(const Picture& picture, int32_t width, int32_t height);
