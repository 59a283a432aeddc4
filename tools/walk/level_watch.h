// Watching the files a level is made of, for the preview: one stat per file a few times a second, and the
// decision when a changed file is read again.
#pragma once

#include <cstdint>

#include "scene/texture_files.h"

// What the file system says of one file: any rewrite, replacement or removal changes it.
struct FileStamp {
  bool exists = false;
  int64_t size = 0;
  int64_t modified_ns = 0;
  uint64_t inode = 0;
  bool operator==(const FileStamp&) const = default;
};

// The stamps of world.dat and of the sixteen scene bitmaps.
struct LevelStamps {
  FileStamp world;
  FileStamp bitmaps[kSceneTextureCount];
  bool operator==(const LevelStamps&) const = default;
};

// Stamps the level's files in the working directory.
LevelStamps StampLevelFiles();

// The parts of a level that are read on their own: the world file, and the scene bitmaps as one set.
struct LevelParts {
  bool world = false;
  bool textures = false;
};

// Says which parts to read again: a part whose files differ from those it was last read from, once they have
// looked the same twice running (a file being written keeps changing). A part is read once per version of its
// files, so a broken file is not read again until it changes.
class LevelWatch {
 public:
  explicit LevelWatch(const LevelStamps& read) : read_(read), seen_(read) {}
  // One look at the files; returns the parts to read now.
  LevelParts Look(const LevelStamps& now);
  // The parts were read from files with these stamps (whether or not they loaded).
  void MarkRead(LevelParts parts, const LevelStamps& stamps);

 private:
  LevelStamps read_;
  LevelStamps seen_;
};
