#include "tests/support/game_run.h"

#include "platform/os.h"

int RunGame(int answer, SwapScript script) {
  Scripted().answers.push_back(answer);
  Scripted().on_swap = [script = std::move(script)](int swap) {
    auto it = script.find(swap);
    if (it != script.end()) it->second();
  };
  return gorvane::WinMain(nullptr, nullptr, nullptr, 0);
}

int RunGameFrames(int answer, const std::function<void(int frame)>& on_frame) {
  int frame = 0;
  size_t message_swaps = 0;
  Scripted().answers.push_back(answer);
  Scripted().on_swap = [&](int) {
    if (message_swaps > 0) {
      --message_swaps;
      return;
    }
    on_frame(++frame);
    message_swaps = Scripted().messages.size();
  };
  int code = gorvane::WinMain(nullptr, nullptr, nullptr, 0);
  Scripted().on_swap = nullptr;
  return code;
}

void HoldKey(SwapScript& script, int swap, uint32_t virtual_key, int swaps) {
  auto down = std::move(script[swap]);
  script[swap] = [down, virtual_key] {
    if (down) down();
    ScriptedKeyDown(virtual_key);
  };
  auto up = std::move(script[swap + swaps]);
  script[swap + swaps] = [up, virtual_key] {
    if (up) up();
    ScriptedKeyUp(virtual_key);
  };
}
