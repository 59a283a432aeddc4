#include "tools/walk/level_watch.h"

#include <sys/stat.h>

#include <algorithm>
#include <iterator>

namespace {

// One stat; a file that is not there has an empty stamp.
FileStamp StampFile(const char* name) {
  FileStamp stamp;
#ifdef _WIN32
  struct _stat64 info;
  if (_stat64(name, &info) != 0) return stamp;
  stamp.modified_ns = static_cast<int64_t>(info.st_mtime) * 1000000000;
#else
  struct stat info;
  if (stat(name, &info) != 0) return stamp;
  stamp.modified_ns = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
#endif
  stamp.exists = true;
  stamp.size = static_cast<int64_t>(info.st_size);
  stamp.inode = static_cast<uint64_t>(info.st_ino);
  return stamp;
}

// The sixteen bitmaps' stamps are all equal.
bool SameBitmaps(const LevelStamps& a, const LevelStamps& b) {
  return std::equal(std::begin(a.bitmaps), std::end(a.bitmaps), std::begin(b.bitmaps));
}

}  // namespace

LevelStamps StampLevelFiles() {
  LevelStamps stamps;
  stamps.world = StampFile("world.dat");
  for (int slot = 0; slot < kSceneTextureCount; slot++) stamps.bitmaps[slot] = StampFile(SceneTextureFile(slot));
  return stamps;
}

LevelParts LevelWatch::Look(const LevelStamps& now) {
  LevelParts parts;
  parts.world = now.world != read_.world && now.world == seen_.world;
  parts.textures = !SameBitmaps(now, read_) && SameBitmaps(now, seen_);
  seen_ = now;
  return parts;
}

void LevelWatch::MarkRead(LevelParts parts, const LevelStamps& stamps) {
  if (parts.world) read_.world = stamps.world;
  if (parts.textures) std::copy(std::begin(stamps.bitmaps), std::end(stamps.bitmaps), std::begin(read_.bitmaps));
}
