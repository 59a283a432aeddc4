// gorvane-assets web DATA_DIR --out SITE [--page PAGE_DIR]: a level on the web in one step. Writes a folder that
// any static web host serves as the game's page: the page's program files (index.html, gorvane.js, gorvane.wasm,
// installed with the tool) and the level's data files as they are, which the page reads from its own folder.
// A level the game would stop at (a scene bitmap missing or not a bitmap the game reads) is not published.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "image/bitmap.h"
#include "platform/web/web_data_files.h"
#include "tools/commands/commands.h"
#include "tools/support/files.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kPageFiles[] = {"index.html", "gorvane.js", "gorvane.wasm"};
// The first sixteen data files are the scene bitmaps, without which the game does not start.
constexpr int kSceneBitmaps = 16;

// Whether the folder holds the page's three program files.
bool HasPage(const fs::path& dir) {
  std::error_code error;
  for (const char* name : kPageFiles) {
    if (!fs::is_regular_file(dir / name, error)) return false;
  }
  return true;
}

// The folder of this program, from which the installed page's files are found.
fs::path ProgramDir() {
  std::error_code error;
#ifdef _WIN32
  fs::path program = _pgmptr ? fs::path(_pgmptr) : fs::path();
#else
  fs::path program = fs::read_symlink("/proc/self/exe", error);
#endif
  return program.parent_path();
}

// The page's program files: where --page says, else beside the program (the Windows zip's web folder), else
// where the Linux packages install them (share/gorvane/web beside bin/).
bool FindPage(const char* page_option, fs::path* page) {
  std::vector<fs::path> places;
  if (page_option) {
    places.push_back(page_option);
  } else {
    fs::path program_dir = ProgramDir();
    places.push_back(program_dir / "web");
    places.push_back(program_dir.parent_path() / "share" / "gorvane" / "web");
  }
  for (const fs::path& place : places) {
    if (HasPage(place)) {
      *page = place;
      return true;
    }
  }
  fprintf(stderr, "gorvane-assets: no page's program files (index.html, gorvane.js, gorvane.wasm) in");
  for (const fs::path& place : places) fprintf(stderr, " %s", place.string().c_str());
  fprintf(stderr, "\n");
  return false;
}

// Why the game would stop at this scene bitmap, or null when it reads it: missing, or a header the decoder refuses.
const char* SceneBitmapFault(const fs::path& path, std::string* bytes) {
  bytes->clear();
  if (!ReadWholeFile(path.string().c_str(), bytes)) return "missing";
  DibHeader header;
  return ReadDibHeader(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size(), &header);
}

}  // namespace

int RunWebCommand(int argc, char** argv) {
  const char* out = nullptr;
  const char* page_option = nullptr;
  if (argc < 1 || argv[0][0] == '-') return CommandUsage("web");
  for (int i = 1; i < argc; i += 2) {
    if (i + 1 >= argc || argv[i + 1][0] == '\0') return CommandUsage("web");
    if (strcmp(argv[i], "--out") == 0) {
      out = argv[i + 1];
    } else if (strcmp(argv[i], "--page") == 0) {
      page_option = argv[i + 1];
    } else {
      return CommandUsage("web");
    }
  }
  if (!out) return CommandUsage("web");
  const fs::path data = argv[0];
  std::error_code error;
  if (!fs::is_directory(data, error)) {
    fprintf(stderr, "gorvane-assets: %s: not a directory\n", argv[0]);
    return 1;
  }
  fs::path page;
  if (!FindPage(page_option, &page)) return 1;

  int faults = 0;
  std::string bytes;
  for (int i = 0; i < kSceneBitmaps; ++i) {
    if (const char* fault = SceneBitmapFault(data / kWebDataFiles[i], &bytes)) {
      fprintf(stderr, "gorvane-assets: %s: %s\n", (data / kWebDataFiles[i]).string().c_str(), fault);
      faults++;
    }
  }
  if (faults) {
    fprintf(stderr, "gorvane-assets: the game would stop at the scene bitmaps; nothing written\n");
    return 1;
  }

  fs::create_directories(out, error);
  int copied = 0;
  auto copy = [&](const fs::path& from, const char* name) {
    fs::copy_file(from, fs::path(out) / name, fs::copy_options::overwrite_existing, error);
    if (error) fprintf(stderr, "gorvane-assets: %s: cannot write %s: %s\n", out, name, error.message().c_str());
    return !error;
  };
  for (const char* name : kPageFiles) {
    if (!copy(page / name, name)) return 1;
  }
  for (const char* name : kWebDataFiles) {
    if (!fs::is_regular_file(data / name, error)) {
      // The game plays on without it: an empty level, the model's placeholder texture, a chime for a sound.
      fprintf(stderr, "gorvane-assets: %s: no %s; the page goes on without it, as the game does\n", argv[0], name);
      continue;
    }
    if (!copy(data / name, name)) return 1;
    copied++;
  }
  printf("%s: the page and %d data files; serve the folder (for example python3 -m http.server in it) and open "
         "index.html\n",
         out, copied);
  return 0;
}
