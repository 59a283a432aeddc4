// The process entry on SDL: hands over to the game's entry point.
#include "platform/os.h"

int main() { return gorvane::WinMain(OsGetModuleHandle(), nullptr, nullptr, 0); }
