#include "tests/support/game_test.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "model/model.h"
#include "scene/texture_files.h"
#include "tests/support/bmp_writer.h"

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

void WriteSceneBitmaps() {
  uint32_t colour = 0x204060;
  for (int slot = 0; slot < kSceneTextureCount; slot++) {
    std::ofstream(SceneTextureFile(slot), std::ios::binary) << bmp::SolidPicture(4, 4, colour);
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
