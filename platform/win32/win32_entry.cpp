// The process entry on Windows: hands over to the game's entry point.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/os.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous_instance, LPSTR command_line, int show_command) {
  return gorvane::WinMain(reinterpret_cast<OsInstance>(instance), reinterpret_cast<OsInstance>(previous_instance),
                 command_line, show_command);
}
