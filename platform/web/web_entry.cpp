// The process entry in a page: fetches the game's data files from the page's folder into the working directory,
// runs the game, and tells the page that the game has ended and with which exit code.
#include <emscripten.h>

#include <string>

#include "platform/os.h"
#include "platform/web/web_data_files.h"

namespace {

EM_ASYNC_JS(void, PageFetchFiles, (const char* names),
            { await GorvanePage.fetchFiles(UTF8ToString(names).split('\n')); });
EM_JS(void, PageEnded, (int code), { GorvanePage.ended(code); });

}  // namespace

int main() {
  std::string names;
  for (const char* name : kWebDataFiles) names += std::string(names.empty() ? "" : "\n") + name;
  // A file the folder does not have stays missing, and the game meets it as it meets a missing file anywhere.
  PageFetchFiles(names.c_str());
  int code = gorvane::WinMain(OsGetModuleHandle(), nullptr, nullptr, 0);
  PageEnded(code);
  return code;
}
