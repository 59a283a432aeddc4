// Reading MS3D model files: the parse from memory, shared by the model, the asset tool, the fuzzer and the
// benchmark, none of which needs an OpenGL context for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "model/model.h"

// What a successful parse saw in the file besides the model data.
struct Ms3dFileInfo {
  int32_t version;
};

// Parses a whole MS3D file held in memory into model. On success the model's old data is released and the
// new data takes its place; texture names are copied but no texture is made. On failure the model is left
// exactly as it was and, when why is given, it receives a short reason. info, when given, is filled on success.
bool ParseMs3d(const uint8_t* data, size_t size, ModelBase* model, std::string* why = nullptr,
               Ms3dFileInfo* info = nullptr);

// Reads a whole file in binary mode with one read of its size into a new buffer that the caller owns. False
// (with a reason, and no buffer) when it cannot be opened or read.
bool ReadWholeFile(const char* file_name, std::unique_ptr<uint8_t[]>* data, size_t* size,
                   std::string* why = nullptr);
