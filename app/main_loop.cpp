// The entry point and the only loop: one window message or one paced frame per turn.
#include "app/frame_timer.h"
#include "app/globals.h"
#include "app/movement.h"
#include "app/play_frame.h"
#include "app/version.h"
#include "model/model.h"
#include "platform/os.h"
#include "scene/renderer.h"
#include "window/window.h"

namespace {

constexpr const char* kTitle = GORVANE_CAPTION;
constexpr const char* kToggledTitle = "Brannoch";
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kBits = 16;
constexpr uint32_t kVkX = 'X';
constexpr uint32_t kVkM = 'M';

}  // namespace

int gorvane::WinMain(OsInstance, OsInstance, char*, int) {
  g_game.model = new Ms3dModel();

  if (OsShowMessageBox(nullptr, "Would You Like To Run In Fullscreen Mode?", "Start FullScreen?",
                       kMbYesNo | kMbIconQuestion) == kIdNo) {
    g_game.fullscreen = false;
  }
  if (!CreateGameWindow(kTitle, kWidth, kHeight, kBits, g_game.fullscreen)) return 0;
  StartFrameTimer();

  // Lives for the whole loop: its wparam is the exit code.
  OsMessage message = {};
  bool done = false;
  while (!done) {
    if (OsPeekMessage(&message)) {
      if (message.message == kWmQuit) {
        done = true;
      } else {
        // Every dispatched message shows the back buffer once more.
        OsSwapBuffers(g_game.device_context);
        OsTranslateMessage(&message);
        OsDispatchMessage(&message);
      }
      continue;
    }

    float frame_start = FrameTimerMs();
    if (g_game.window_active && !DrawScene()) {
      done = true;
      continue;
    }
    // Tested whether or not the window is active; the frame just drawn is not shown.
    if (g_game.key_down[kVkEscape]) {
      done = true;
      continue;
    }
    while (FrameTimerMs() < frame_start + static_cast<float>(2 * g_game.frame_step_ms)) {
    }
    OsSwapBuffers(g_game.device_context);

    ApplyMouseLook();
    if (g_game.key_down[kVkX]) g_game.screen_stage++;
    if (g_game.key_down[kVkM]) g_game.mouse_look = g_game.mouse_look == 1 ? 0 : 1;
    if (g_game.screen_stage <= 1) continue;

    StepPlayFrame();

    if (g_game.key_down[kVkF1]) {
      g_game.key_down[kVkF1] = 0;
      DestroyGameWindow();
      g_game.fullscreen = !g_game.fullscreen;
      if (!CreateGameWindow(kToggledTitle, kWidth, kHeight, kBits, g_game.fullscreen)) return 0;
    }
  }

  DestroyGameWindow();
  return static_cast<int>(message.wparam);
}
