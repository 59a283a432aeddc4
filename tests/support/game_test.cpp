#include "tests/support/game_test.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "model/model.h"

void ResetGame() {
  delete g_game.model;
  g_game.model = nullptr;
  ResetGameGlobals();
  ScriptedReset();
}

std::vector<std::string> CallsStartingWith(const std::string& prefix) {
  std::vector<std::string> result;
  for (const std::string& call : Scripted().calls) {
    if (call.compare(0, prefix.size(), prefix) == 0) result.push_back(call);
  }
  return result;
}

ScopedWorkingDirectory::ScopedWorkingDirectory() {
  previous_ = std::filesystem::current_path().string();
  char pattern[] = "/tmp/gorvane-test-XXXXXX";
  const char* made = mkdtemp(pattern);
  if (!made) {
    ADD_FAILURE() << "cannot make a temporary directory";
    return;
  }
  path_ = made;
  std::filesystem::current_path(path_);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
  std::filesystem::current_path(previous_);
  if (!path_.empty()) std::filesystem::remove_all(path_);
}

void ScopedWorkingDirectory::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream out(path_ + "/" + name, std::ios::binary);
  out << bytes;
}

std::string MakeQuadrantBitmap(int width, int height, const uint32_t (&quadrants)[4]) {
  int row = (width * 3 + 3) / 4 * 4;
  uint32_t pixel_bytes = static_cast<uint32_t>(row * height);
  std::string file;
  auto put16 = [&](uint32_t v) {
    file += static_cast<char>(v & 0xFF);
    file += static_cast<char>((v >> 8) & 0xFF);
  };
  auto put32 = [&](uint32_t v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  file += "BM";
  put32(14 + 40 + pixel_bytes);
  put32(0);
  put32(14 + 40);
  put32(40);
  put32(static_cast<uint32_t>(width));
  put32(static_cast<uint32_t>(height));
  put16(1);
  put16(24);
  put32(0);
  put32(pixel_bytes);
  put32(2835);
  put32(2835);
  put32(0);
  put32(0);
  // Rows are stored bottom-up.
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) {
      const uint32_t rgb = quadrants[(y >= height / 2) * 2 + (x >= width / 2)];
      file += static_cast<char>(rgb & 0xFF);
      file += static_cast<char>((rgb >> 8) & 0xFF);
      file += static_cast<char>((rgb >> 16) & 0xFF);
    }
    file.append(static_cast<size_t>(row - width * 3), '\0');
  }
  return file;
}

std::string MakeBitmap(int width, int height, uint32_t rgb) {
  return MakeQuadrantBitmap(width, height, {rgb, rgb, rgb, rgb});
}

void WriteSceneBitmaps() {
  static const char* const kNames[] = {"floor1.bmp", "door1.bmp",  "wall1.bmp",     "crate.bmp",
                                       "sand.bmp",   "tree.bmp",   "green.bmp",     "title.bmp",
                                       "red.bmp",    "energy.bmp", "brick1.bmp",    "waterfall.bmp",
                                       "door2.bmp",  "intro.bmp",  "pressX.bmp",    "waterfall2.bmp"};
  uint32_t colour = 0x204060;
  for (const char* name : kNames) {
    std::ofstream(name, std::ios::binary) << MakeBitmap(4, 4, colour);
    colour += 0x0C0A08;
  }
}

void ShellTest::SetUp() {
  GameTest::SetUp();
  directory_ = std::make_unique<ScopedWorkingDirectory>();
  WriteSceneBitmaps();
}

void ShellTest::TearDown() {
  directory_.reset();
  GameTest::TearDown();
}
