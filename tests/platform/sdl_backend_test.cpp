// The SDL backend's edge: SDL events become the window messages the game's window procedure reads, message boxes
// are asked of SDL as a Windows box would look, and the pointer is held only while the game moves it. Events are
// pushed into SDL's own queue and read back through OsPeekMessage, on SDL's offscreen video driver, which needs no
// X server (and refuses to move the pointer, as some desktops do).
#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <utility>
#include <vector>

#include "app/globals.h"
#include "platform/os.h"
#include "platform/sdl/sdl_platform.h"
#include "tools/walk/walk_session.h"
#include "window/window.h"

namespace {

std::vector<OsMessage> g_seen;

// Records every message on its way to the game's window procedure.
intptr_t RecordingProc(OsWindow window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  g_seen.push_back({window, message, wparam, lparam});
  return GameWindowProc(window, message, wparam, lparam);
}

class SdlBackend : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    OsWindowClass window_class = {kCsOwnDc, RecordingProc, OsGetModuleHandle(), kIdiWinLogo, kIdcArrow, "SdlTest"};
    ASSERT_NE(OsRegisterWindowClass(&window_class), 0);
    window_ = OsCreateWindow(kWsExAppWindow, "SdlTest", "test", kWsOverlappedWindow, 0, 0, 640, 480,
                             OsGetModuleHandle());
    ASSERT_NE(window_, nullptr);
    device_context_ = OsGetDeviceContext(window_);
    OsPixelFormat format = {};
    format.flags = kPfdDrawToWindow | kPfdSupportOpenGl | kPfdDoubleBuffer;
    format.pixel_type = kPfdTypeRgba;
    format.color_bits = 16;
    format.depth_bits = 16;
    ASSERT_TRUE(OsSetPixelFormat(device_context_, OsChoosePixelFormat(device_context_, &format), &format));
    gl_context_ = OsCreateGlContext(device_context_);
    ASSERT_NE(gl_context_, nullptr);
    ASSERT_TRUE(OsMakeGlContextCurrent(device_context_, gl_context_));
  }

  void SetUp() override {
    ResetGameGlobals();
    Deliver();
    g_seen.clear();
  }

  // Hands every waiting message to the window procedure, as the game's loop does; the quit message, which the
  // loop keeps for itself, is recorded here.
  static void Deliver() {
    OsMessage message;
    while (OsPeekMessage(&message)) {
      if (message.message == kWmQuit) g_seen.push_back(message);
      OsDispatchMessage(&message);
    }
  }

  static void PushKey(Uint32 type, SDL_Keycode key, Uint16 mod = KMOD_NONE, bool repeat = false) {
    SDL_Event event = {};
    event.type = type;
    event.key.windowID = SDL_GetWindowID(SdlWindowOf(window_));
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    event.key.keysym.mod = mod;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
  }

  static void PushWindowEvent(Uint8 what, Sint32 data1 = 0, Sint32 data2 = 0) {
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(SdlWindowOf(window_));
    event.window.event = what;
    event.window.data1 = data1;
    event.window.data2 = data2;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
  }

  static OsWindow window_;
  static OsDeviceContext device_context_;
  static OsGlContext gl_context_;
};

OsWindow SdlBackend::window_ = nullptr;
OsDeviceContext SdlBackend::device_context_ = nullptr;
OsGlContext SdlBackend::gl_context_ = nullptr;

struct KeyCase {
  SDL_Keycode key;
  uint32_t virtual_key;
};

TEST_F(SdlBackend, EveryKeyTheGameAndThePreviewReadArrivesWithItsVirtualKeyCodeUntilReleased) {
  // By the codes the game's rules and the preview's keys are written in.
  const std::vector<KeyCase> keys = {
      {SDLK_ESCAPE, kVkEscape},     {SDLK_x, 'X'},
      {SDLK_m, 'M'},                {SDLK_LEFT, kVkLeft},
      {SDLK_RIGHT, kVkRight},       {SDLK_UP, kVkUp},
      {SDLK_DOWN, kVkDown},         {SDLK_F1, kVkF1},
      {SDLK_f, kWalkFlightKey},     {SDLK_PAGEUP, kWalkRiseKey},
      {SDLK_PAGEDOWN, kWalkSinkKey}, {SDLK_COMMA, kWalkTickBackKey},
      {SDLK_PERIOD, kWalkTickOnKey}, {SDLK_t, kWalkHoldTickKey},
      {SDLK_c, kWalkOutlinesKey},   {SDLK_p, kWalkPictureKey},
      {SDLK_r, kWalkReloadKey},     {SDLK_h, kWalkKeysKey},
      // The ends of each run of keys translated by one rule.
      {SDLK_a, 'A'}, {SDLK_z, 'Z'}, {SDLK_0, '0'}, {SDLK_9, '9'}, {SDLK_F12, kVkF1 + 11}, {SDLK_KP_1, 0x61},
      {SDLK_KP_9, 0x69}};
  for (const KeyCase& k : keys) {
    SCOPED_TRACE(SDL_GetKeyName(k.key));
    g_seen.clear();
    PushKey(SDL_KEYDOWN, k.key);
    Deliver();
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0].message, kWmKeyDown);
    EXPECT_EQ(g_seen[0].wparam, k.virtual_key);
    EXPECT_EQ(g_game.key_down[k.virtual_key], 1);
    PushKey(SDL_KEYUP, k.key);
    Deliver();
    ASSERT_EQ(g_seen.size(), 2u);
    EXPECT_EQ(g_seen[1].message, kWmKeyUp);
    EXPECT_EQ(g_seen[1].wparam, k.virtual_key);
    // A key-up carries the previous-state and transition bits, as on Windows.
    EXPECT_EQ(static_cast<uint32_t>(g_seen[1].lparam) >> 30, 3u);
    EXPECT_EQ(g_game.key_down[k.virtual_key], 0);
  }
}

TEST_F(SdlBackend, KeysWithoutAVirtualKeyCodeSendNothing) {
  // Keys no Windows keyboard sends: the back key of handhelds, the mode switch of some X layouts.
  for (SDL_Keycode key : {SDLK_AC_BACK, SDLK_MODE}) {
    PushKey(SDL_KEYDOWN, key);
    PushKey(SDL_KEYUP, key);
  }
  Deliver();
  EXPECT_TRUE(g_seen.empty());
  for (int key = 0; key < 256; ++key) EXPECT_EQ(g_game.key_down[key], 0) << key;
}

TEST_F(SdlBackend, AHeldKeyRepeatsAsKeyDownsMarkedAsRepeats) {
  PushKey(SDL_KEYDOWN, SDLK_UP);
  PushKey(SDL_KEYDOWN, SDLK_UP, KMOD_NONE, true);
  PushKey(SDL_KEYDOWN, SDLK_UP, KMOD_NONE, true);
  Deliver();
  ASSERT_EQ(g_seen.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(g_seen[i].message, kWmKeyDown);
    EXPECT_EQ(g_seen[i].wparam, kVkUp);
    EXPECT_EQ((static_cast<uint32_t>(g_seen[i].lparam) >> 30) & 1, i == 0 ? 0u : 1u) << "key-down " << i;
  }
  EXPECT_EQ(g_game.key_down[kVkUp], 1);
  PushKey(SDL_KEYUP, SDLK_UP);
  Deliver();
  EXPECT_EQ(g_game.key_down[kVkUp], 0);
}

// Alt, F10 and keys pressed with Alt held are system keys on Windows: the game never records them.
TEST_F(SdlBackend, SystemKeysArriveAsSystemKeyMessages) {
  PushKey(SDL_KEYDOWN, SDLK_LALT);
  PushKey(SDL_KEYDOWN, SDLK_x, KMOD_LALT);
  PushKey(SDL_KEYUP, SDLK_x, KMOD_LALT);
  PushKey(SDL_KEYUP, SDLK_LALT);
  PushKey(SDL_KEYDOWN, SDLK_F10);
  PushKey(SDL_KEYUP, SDLK_F10);
  Deliver();
  std::vector<std::pair<uint32_t, uintptr_t>> got;
  for (const OsMessage& m : g_seen) got.push_back({m.message, m.wparam});
  EXPECT_EQ(got, (std::vector<std::pair<uint32_t, uintptr_t>>{{kWmSysKeyDown, kVkMenu},
                                                               {kWmSysKeyDown, 'X'},
                                                               {kWmSysKeyUp, 'X'},
                                                               {kWmSysKeyUp, kVkMenu},
                                                               {kWmSysKeyDown, kVkF1 + 9},
                                                               {kWmSysKeyUp, kVkF1 + 9}}));
  EXPECT_EQ(g_game.key_down[static_cast<int>('X')], 0);
}

TEST_F(SdlBackend, MinimiseAndRestoreSwitchTheActiveFlag) {
  PushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
  Deliver();
  ASSERT_EQ(g_seen.size(), 2u);
  EXPECT_EQ(g_seen[0].message, kWmSize);
  EXPECT_EQ(g_seen[0].wparam, 1u);  // minimised
  EXPECT_EQ(g_seen[0].lparam, 0);
  EXPECT_EQ(g_seen[1].message, kWmActivate);
  EXPECT_EQ(g_seen[1].wparam >> 16, 1u);
  EXPECT_EQ(g_game.window_active, 0);

  g_seen.clear();
  PushWindowEvent(SDL_WINDOWEVENT_RESTORED);
  Deliver();
  ASSERT_EQ(g_seen.size(), 2u);
  EXPECT_EQ(g_seen[0].message, kWmActivate);
  EXPECT_EQ(g_seen[0].wparam >> 16, 0u);
  EXPECT_EQ(g_seen[1].message, kWmSize);
  EXPECT_EQ(g_seen[1].lparam, (480 << 16) | 640);
  EXPECT_EQ(g_game.window_active, 1);

  // Another application taking the focus is not a minimise: the game goes on drawing.
  g_seen.clear();
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  Deliver();
  ASSERT_EQ(g_seen.size(), 1u);
  EXPECT_EQ(g_seen[0].message, kWmActivate);
  EXPECT_EQ(g_seen[0].wparam, 0u);
  EXPECT_EQ(g_game.window_active, 1);
}

TEST_F(SdlBackend, SizeChangesAndCloseRequestsReachTheGame) {
  PushWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 800, 300);
  PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
  Deliver();
  ASSERT_EQ(g_seen.size(), 3u);
  EXPECT_EQ(g_seen[0].message, kWmSize);
  EXPECT_EQ(g_seen[0].wparam, 0u);
  EXPECT_EQ(g_seen[0].lparam, (300 << 16) | 800);
  EXPECT_EQ(g_seen[1].message, kWmClose);
  // The window procedure answers the close request with the quit message.
  EXPECT_EQ(g_seen[2].message, kWmQuit);
  EXPECT_EQ(g_seen[2].wparam, 0u);

  // A termination request from outside (SIGTERM, the session ending) closes the window the same way.
  g_seen.clear();
  SDL_Event event = {};
  event.type = SDL_QUIT;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  Deliver();
  ASSERT_EQ(g_seen.size(), 2u);
  EXPECT_EQ(g_seen[0].message, kWmClose);
  EXPECT_EQ(g_seen[1].message, kWmQuit);
}

// A Windows Yes/No box shows Yes, then No, and has no answer for Escape or its close button; an OK box takes
// Escape as OK. SDL cannot draw the question icon: the nearest it has is the information box.
TEST_F(SdlBackend, APixelFormatOfSixteenBitsOrFewerAsksForFiveBitsAChannelAndMoreAsksForEight) {
  OsPixelFormat format = {};
  format.flags = kPfdDrawToWindow | kPfdSupportOpenGl | kPfdDoubleBuffer;
  format.depth_bits = 16;
  for (const auto& [bits, channel] : {std::pair{16, 5}, std::pair{15, 5}, std::pair{24, 8}, std::pair{32, 8}}) {
    format.color_bits = static_cast<uint8_t>(bits);
    const SdlGlAttributes asked = SdlGlAttributesFor(format);
    EXPECT_EQ(asked.channel_bits, channel) << bits << " bits";
    EXPECT_EQ(asked.depth_bits, 16);
    EXPECT_TRUE(asked.double_buffer);
  }
}

TEST_F(SdlBackend, MessageBoxesAreAskedForAsWindowsShowsThem) {
  SdlMessageBoxLayout yes_no = SdlMessageBoxFor(kMbYesNo | kMbIconQuestion);
  ASSERT_EQ(yes_no.button_count, 2);
  EXPECT_NE(yes_no.flags & SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT, 0u);
  EXPECT_EQ(yes_no.flags & SDL_MESSAGEBOX_BUTTONS_RIGHT_TO_LEFT, 0u);
  EXPECT_EQ(yes_no.buttons[0].buttonid, kIdYes);
  EXPECT_EQ(yes_no.buttons[0].flags, SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT);
  EXPECT_STREQ(yes_no.buttons[0].text, "Yes");
  EXPECT_EQ(yes_no.buttons[1].buttonid, kIdNo);
  EXPECT_EQ(yes_no.buttons[1].flags, 0u);
  EXPECT_STREQ(yes_no.buttons[1].text, "No");
  EXPECT_NE(yes_no.flags & SDL_MESSAGEBOX_INFORMATION, 0u);

  SdlMessageBoxLayout ok = SdlMessageBoxFor(kMbOk);
  ASSERT_EQ(ok.button_count, 1);
  EXPECT_EQ(ok.buttons[0].buttonid, kIdOk);
  EXPECT_EQ(ok.buttons[0].flags, SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);

  EXPECT_NE(SdlMessageBoxFor(kMbYesNo | kMbIconExclamation).flags & SDL_MESSAGEBOX_WARNING, 0u);
  EXPECT_NE(SdlMessageBoxFor(kMbOk | kMbIconExclamation).flags & SDL_MESSAGEBOX_WARNING, 0u);
  EXPECT_NE(SdlMessageBoxFor(kMbOk | kMbIconStop).flags & SDL_MESSAGEBOX_ERROR, 0u);
  EXPECT_NE(SdlMessageBoxFor(kMbOk | kMbIconInformation).flags & SDL_MESSAGEBOX_INFORMATION, 0u);
}

// Where the desktop refuses to move the pointer, the backend holds it in relative mode while mouse look moves it
// every frame, and lets it go as soon as a frame reads the pointer without moving it (mouse look switched off).
TEST_F(SdlBackend, ThePointerIsHeldOnlyWhileTheGameMovesIt) {
  OsPoint point;
  for (int frame = 0; frame < 3; ++frame) {
    ASSERT_TRUE(OsGetCursorPos(&point));
    ASSERT_TRUE(OsSetCursorPos(320, 240));
    EXPECT_TRUE(SdlPointerCaptured()) << "frame " << frame;
  }
  ASSERT_TRUE(OsGetCursorPos(&point));
  EXPECT_EQ(point.x, 320);
  EXPECT_EQ(point.y, 240);
  // Mouse look off: the frames only read the pointer.
  ASSERT_TRUE(OsGetCursorPos(&point));
  EXPECT_FALSE(SdlPointerCaptured());
  ASSERT_TRUE(OsGetCursorPos(&point));
  EXPECT_FALSE(SdlPointerCaptured());
  // And on again.
  ASSERT_TRUE(OsSetCursorPos(320, 240));
  EXPECT_TRUE(SdlPointerCaptured());
  ASSERT_TRUE(OsGetCursorPos(&point));
  EXPECT_EQ(point.x, 320);
}

}  // namespace
