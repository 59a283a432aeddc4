// Window creation and teardown, their failures, the window procedure and the projection.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "app/globals.h"
#include "model/model.h"
#include "platform/gl.h"
#include "tests/support/game_run.h"
#include "tests/support/game_test.h"
#include "window/window.h"

namespace {

using CreationFailures = ShellTest;
using RefusedMode = ShellTest;
using ShutdownFailures = ShellTest;
using WindowProcedure = ShellTest;
using Projection = ShellTest;
using SceneInitialisation = ShellTest;

SwapScript QuitAfterFirstFrame() {
  SwapScript script;
  script[1] = [] { ScriptedKeyDown(kVkEscape); };
  return script;
}

struct CreationFailure {
  ScriptedStep step;
  const char* message;
};

class EachCreationFailure : public ShellTest, public ::testing::WithParamInterface<CreationFailure> {};

TEST_P(EachCreationFailure, ReleasesWhatWasMadeThenTellsThePlayerAndEnds) {
  const CreationFailure& failure = GetParam();
  ScriptedFail(failure.step);
  EXPECT_EQ(RunGame(kIdNo, {}), 0);

  ASSERT_EQ(Scripted().message_boxes.size(), 2u);
  const ScriptedMessageBox& box = Scripted().message_boxes[1];
  EXPECT_EQ(box.text, failure.message);
  EXPECT_EQ(box.caption, "ERROR");
  EXPECT_EQ(box.style, kMbOk | kMbIconExclamation);
  // The teardown ran before the message, and shows no shutdown error of its own.
  std::vector<std::string>& calls = Scripted().calls;
  auto message = std::find_if(calls.begin(), calls.end(),
                              [](const std::string& c) { return c.rfind("MessageBox ERROR", 0) == 0; });
  auto unregister = std::find(calls.begin(), calls.end(), "UnregisterClass OpenGL");
  ASSERT_NE(message, calls.end());
  ASSERT_NE(unregister, calls.end());
  EXPECT_LT(unregister, message);
  EXPECT_EQ(Scripted().live_windows, 0);
  EXPECT_EQ(Scripted().live_gl_contexts, 0);
  EXPECT_FALSE(Scripted().class_registered);
  EXPECT_EQ(Scripted().swaps, 0);
  EXPECT_EQ(g_game.window_handle, nullptr);
  EXPECT_EQ(g_game.device_context, nullptr);
  EXPECT_EQ(g_game.render_context, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, EachCreationFailure,
    ::testing::Values(CreationFailure{ScriptedStep::kCreateWindow, "Window Creation Error."},
                      CreationFailure{ScriptedStep::kGetDeviceContext, "Can't Create A GL Device Context."},
                      CreationFailure{ScriptedStep::kChoosePixelFormat, "Can't Find A Suitable PixelFormat."},
                      CreationFailure{ScriptedStep::kSetPixelFormat, "Can't Set The PixelFormat."},
                      CreationFailure{ScriptedStep::kCreateGlContext, "Can't Create A GL Rendering Context."},
                      CreationFailure{ScriptedStep::kMakeCurrent, "Can't Activate The GL Rendering Context."}));

TEST_F(CreationFailures, TeardownAfterAFailureStartsWhereCreationStopped) {
  ScriptedFail(ScriptedStep::kSetPixelFormat);
  RunGame(kIdNo, {});
  std::vector<std::string> after;
  bool seen = false;
  for (const std::string& call : Scripted().calls) {
    if (call == "SetPixelFormat 1") {
      seen = true;
      continue;
    }
    if (seen) after.push_back(call);
  }
  EXPECT_EQ(after, (std::vector<std::string>{"ReleaseDC", "DestroyWindow", "UnregisterClass OpenGL",
                                             "MessageBox ERROR: Can't Set The PixelFormat. style=0x30 -> 1"}));
}

TEST_F(CreationFailures, AFailedFullscreenCreationRestoresTheDisplay) {
  ScriptedFail(ScriptedStep::kCreateWindow);
  RunGame(kIdYes, {});
  EXPECT_EQ(CallsStartingWith("ChangeDisplayMode").size(), 2u);
  EXPECT_FALSE(Scripted().display_mode_changed);
}

TEST_F(CreationFailures, ClassRegistrationFailureShowsItsMessageAndTearsNothingDown) {
  ScriptedFail(ScriptedStep::kRegisterClass);
  EXPECT_EQ(RunGame(kIdNo, {}), 0);
  ASSERT_EQ(Scripted().message_boxes.size(), 2u);
  EXPECT_EQ(Scripted().message_boxes[1].text, "Failed To Register The Window Class.");
  EXPECT_EQ(Scripted().message_boxes[1].caption, "ERROR");
  EXPECT_EQ(Scripted().message_boxes[1].style, kMbOk | kMbIconExclamation);
  EXPECT_TRUE(CallsStartingWith("UnregisterClass").empty());
  EXPECT_TRUE(CallsStartingWith("CreateWindow").empty());
}

TEST_F(CreationFailures, AMissingSceneBitmapFailsInitialisation) {
  ScopedWorkingDirectory empty;
  empty.Write("world.dat", "NUMPOLLIES 1\n0\n0 0 0 0 0\n1 0 0 1 0\n0 1 0 0 1\n");
  EXPECT_EQ(RunGame(kIdNo, {}), 0);
  // Nothing after the scene textures ran: the world was never read.
  EXPECT_EQ(g_game.world.triangles, nullptr);
  EXPECT_EQ(g_game.world.triangle_count, 0);
  ASSERT_FALSE(Scripted().message_boxes.empty());
  EXPECT_EQ(Scripted().message_boxes.back().text, "Initialization Failed.");
  EXPECT_EQ(Scripted().message_boxes.back().caption, "ERROR");
  EXPECT_EQ(Scripted().live_gl_contexts, 0);
}

// What scene initialisation leaves in the current context, read back in the frame a real run shows.
// A frame of the title still shows the context's first clear colour; a play frame has set the sky's.
void ExpectInitialisedScene(const char* when) {
  SCOPED_TRACE(when);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  GLfloat depth_clear = 0;
  glGetFloatv(GL_DEPTH_CLEAR_VALUE, &depth_clear);
  EXPECT_EQ(depth_clear, 1.0f);
  GLint value = 0;
  glGetIntegerv(GL_DEPTH_FUNC, &value);
  EXPECT_EQ(value, GL_LEQUAL);
  glGetIntegerv(GL_SHADE_MODEL, &value);
  EXPECT_EQ(value, GL_SMOOTH);
  glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &value);
  EXPECT_EQ(value, GL_NICEST);
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
  EXPECT_EQ(value, GL_MODULATE);
  if (g_game.screen_stage == 1) {
    GLfloat clear[4] = {1, 1, 1, 1};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    for (GLfloat channel : clear) EXPECT_EQ(channel, 0.0f);
  }
  // Sixteen textures of this context, and none for the empty model.
  for (uint32_t name : g_game.textures.names) EXPECT_TRUE(glIsTexture(name)) << name;
  GLuint next = 0;
  glGenTextures(1, &next);
  glDeleteTextures(1, &next);
  for (uint32_t name : g_game.textures.names) EXPECT_LT(name, next);
  EXPECT_EQ(next, 17u) << "the scene's sixteen names, then nothing";
  EXPECT_EQ(g_game.world.triangle_count, 2);
}

TEST_F(SceneInitialisation, EveryNewContextGetsTexturesStateAndWorld) {
  std::ofstream("world.dat") << "NUMPOLLIES 2\n0\n0 0 0 0 0\n1 0 0 1 0\n0 1 0 0 1\n"
                                "1\n0 0 -1 0 0\n1 0 -1 1 0\n0 1 -1 0 1\n";
  SwapScript script;
  int checked = 0;
  script[1] = [&checked] {
    ExpectInitialisedScene("at start");
    ++checked;
  };
  HoldKey(script, 2, 'X', 2);
  script[6] = [] { ScriptedKeyDown(kVkF1); };
  script[9] = [&checked] {
    ASSERT_EQ(Scripted().windows.size(), 2u);
    ExpectInitialisedScene("after the toggle");
    ++checked;
    ScriptedKeyDown(kVkEscape);
  };
  RunGame(kIdNo, script);
  EXPECT_EQ(checked, 2);
}

TEST_F(SceneInitialisation, TheModelsTexturesAreMadeAfterTheScenes) {
  std::ofstream("potion.bmp", std::ios::binary) << bmp::SolidPicture(4, 4, 0x808080);
  auto* model = new Ms3dModel();
  g_game.model = model;
  model->material_count = 1;
  model->materials = static_cast<ModelMaterial*>(calloc(1, sizeof(ModelMaterial)));
  model->materials[0].texture_file = strdup("potion.bmp");
  ASSERT_TRUE(CreateGameWindow("first", 640, 480, 16, false));
  uint32_t highest_scene_name = 0;
  for (uint32_t name : g_game.textures.names) highest_scene_name = std::max(highest_scene_name, name);
  EXPECT_GT(model->materials[0].texture, highest_scene_name);
  EXPECT_TRUE(glIsTexture(model->materials[0].texture));
  DestroyGameWindow();
}

TEST_F(RefusedMode, YesRunsWindowedAndLeavesTheDisplayAlone) {
  ScriptedFail(ScriptedStep::kChangeDisplayMode);
  Scripted().answers = {kIdYes, kIdYes};
  Scripted().on_swap = [](int swap) {
    if (swap == 1) ScriptedKeyDown(kVkEscape);
  };
  gorvane::WinMain(nullptr, nullptr, nullptr, 0);
  ASSERT_EQ(Scripted().message_boxes.size(), 2u);
  const ScriptedMessageBox& box = Scripted().message_boxes[1];
  EXPECT_EQ(box.caption, "Quillo GL");
  EXPECT_EQ(box.text, "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?");
  EXPECT_EQ(box.style, kMbYesNo | kMbIconExclamation);
  ASSERT_EQ(Scripted().windows.size(), 1u);
  EXPECT_EQ(Scripted().windows[0].style, kWsOverlappedWindow | kWsClipSiblings | kWsClipChildren);
  // Only the refused request: the teardown does not restore a mode it never set.
  EXPECT_EQ(CallsStartingWith("ChangeDisplayMode").size(), 1u);
  EXPECT_FALSE(g_game.fullscreen);
}

TEST_F(RefusedMode, NoClosesTheProgramWithoutAWindow) {
  ScriptedFail(ScriptedStep::kChangeDisplayMode);
  Scripted().answers = {kIdYes, kIdNo};
  EXPECT_EQ(gorvane::WinMain(nullptr, nullptr, nullptr, 0), 0);
  ASSERT_EQ(Scripted().message_boxes.size(), 3u);
  EXPECT_EQ(Scripted().message_boxes[2].text, "Program Will Now Close.");
  EXPECT_EQ(Scripted().message_boxes[2].caption, "ERROR");
  EXPECT_EQ(Scripted().message_boxes[2].style, kMbOk | kMbIconStop);
  EXPECT_TRUE(Scripted().windows.empty());
  EXPECT_TRUE(CallsStartingWith("UnregisterClass").empty());
  EXPECT_TRUE(Scripted().class_registered);  // the class stays registered on this path
}

struct ShutdownFailure {
  ScriptedStep step;
  const char* message;
};

class EachShutdownFailure : public ShellTest, public ::testing::WithParamInterface<ShutdownFailure> {};

TEST_P(EachShutdownFailure, IsReportedAndTheTeardownGoesOn) {
  ScriptedFail(GetParam().step);
  EXPECT_EQ(RunGame(kIdNo, QuitAfterFirstFrame()), static_cast<int>(kVkEscape));
  ASSERT_EQ(Scripted().message_boxes.size(), 2u);
  EXPECT_EQ(Scripted().message_boxes[1].text, GetParam().message);
  EXPECT_EQ(Scripted().message_boxes[1].caption, "SHUTDOWN ERROR");
  EXPECT_EQ(Scripted().message_boxes[1].style, kMbOk | kMbIconInformation);
  // Every later step still ran.
  EXPECT_EQ(CallsStartingWith("UnregisterClass").size(), 1u);
  EXPECT_EQ(CallsStartingWith("DestroyWindow").size(), 1u);
  EXPECT_EQ(g_game.render_context, nullptr);
  EXPECT_EQ(g_game.device_context, nullptr);
  EXPECT_EQ(g_game.window_handle, nullptr);
  EXPECT_EQ(g_game.instance_handle, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Steps, EachShutdownFailure,
                         ::testing::Values(ShutdownFailure{ScriptedStep::kReleaseCurrent, "Release Of DC And RC Failed."},
                                           ShutdownFailure{ScriptedStep::kDeleteGlContext,
                                                           "Release Rendering Context Failed."},
                                           ShutdownFailure{ScriptedStep::kReleaseDeviceContext,
                                                           "Release Device Context Failed."},
                                           ShutdownFailure{ScriptedStep::kDestroyWindow, "Could Not Release hWnd."},
                                           ShutdownFailure{ScriptedStep::kUnregisterClass,
                                                           "Could Not Unregister Class."}));

TEST_F(ShutdownFailures, TheOrderOfTeardownIsModeContextDeviceContextWindowClass) {
  RunGame(kIdYes, QuitAfterFirstFrame());
  std::vector<std::string> teardown;
  bool started = false;
  for (const std::string& call : Scripted().calls) {
    if (call == "ChangeDisplayMode restore") started = true;
    if (started) teardown.push_back(call);
  }
  EXPECT_EQ(teardown, (std::vector<std::string>{"ChangeDisplayMode restore", "ShowCursor 1 -> 0", "MakeCurrent none",
                                                "DeleteContext", "ReleaseDC", "DestroyWindow",
                                                "UnregisterClass OpenGL"}));
}

TEST_F(WindowProcedure, KeysAreRecordedUntilReleasedAndCodesPast255AreIgnored) {
  constexpr int kVkA = 'A';
  EXPECT_EQ(GameWindowProc(nullptr, kWmKeyDown, kVkA, 0), 0);
  EXPECT_EQ(g_game.key_down[kVkA], 1);
  GameWindowProc(nullptr, kWmKeyDown, kVkA, 0);  // auto-repeat
  EXPECT_EQ(g_game.key_down[kVkA], 1);
  GameWindowProc(nullptr, kWmKeyUp, kVkA, 0);
  EXPECT_EQ(g_game.key_down[kVkA], 0);
  GameWindowProc(nullptr, kWmKeyDown, 255, 0);  // the table's last entry
  EXPECT_EQ(g_game.key_down[255], 1);
  GameWindowProc(nullptr, kWmKeyUp, 255, 0);
  // A code past the table, down or up, changes nothing of the game's state: not the table, not what lies
  // behind it.
  auto* bytes = reinterpret_cast<unsigned char*>(&g_game);
  // Whatever lies behind the table, a field or padding, holds a sentinel that a stray 0 or 1 would change.
  bytes[reinterpret_cast<unsigned char*>(g_game.key_down) - bytes + sizeof g_game.key_down] = 0xA5;
  auto state = [bytes] { return std::vector<unsigned char>(bytes, bytes + sizeof g_game); };
  const std::vector<unsigned char> before = state();
  for (uint32_t message : {kWmKeyDown, kWmKeyUp}) {
    for (uintptr_t code : {uintptr_t{256}, uintptr_t{257}, uintptr_t{0x10000 + 'B'}}) {
      GameWindowProc(nullptr, message, code, 0);
      EXPECT_TRUE(state() == before) << "message " << message << ", code " << code;
    }
  }
  GameWindowProc(nullptr, kWmSysKeyDown, kVkF1, 0);  // system keys go to default processing
  EXPECT_EQ(g_game.key_down[kVkF1], 0);
  EXPECT_EQ(CallsStartingWith("DefaultWindowProc").size(), 1u);
}

TEST_F(WindowProcedure, ActivateLooksOnlyAtTheMinimisedWord) {
  GameWindowProc(nullptr, kWmActivate, 1u << 16, 0);
  EXPECT_FALSE(g_game.window_active);
  GameWindowProc(nullptr, kWmActivate, 0, 0);  // inactive but not minimised
  EXPECT_TRUE(g_game.window_active);
  GameWindowProc(nullptr, kWmActivate, (1u << 16) | 1, 0);
  EXPECT_FALSE(g_game.window_active);
  GameWindowProc(nullptr, kWmActivate, 2, 0);
  EXPECT_TRUE(g_game.window_active);
  EXPECT_TRUE(CallsStartingWith("DefaultWindowProc").empty());
}

TEST_F(WindowProcedure, ScreenSaverAndMonitorPowerAreSwallowedOtherCommandsAreNot) {
  EXPECT_EQ(GameWindowProc(nullptr, kWmSysCommand, kScScreenSave, 0), 0);
  EXPECT_EQ(GameWindowProc(nullptr, kWmSysCommand, kScMonitorPower, 0), 0);
  EXPECT_TRUE(CallsStartingWith("DefaultWindowProc").empty());
  GameWindowProc(nullptr, kWmSysCommand, 0xF060 /* close from the system menu */, 0);
  EXPECT_EQ(CallsStartingWith("DefaultWindowProc"), std::vector<std::string>{"DefaultWindowProc 0x112 0xf060"});
}

TEST_F(WindowProcedure, CloseAsksTheLoopToQuitWithCodeZero) {
  EXPECT_EQ(GameWindowProc(nullptr, kWmClose, 0, 0), 0);
  ASSERT_EQ(Scripted().messages.size(), 1u);
  EXPECT_EQ(Scripted().messages[0].message, kWmQuit);
  EXPECT_EQ(Scripted().messages[0].wparam, 0u);
}

// The projection matrix after a size message, and the viewport it set.
void ExpectProjection(int width, int height, double aspect) {
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], width);
  EXPECT_EQ(viewport[3], height);
  GLfloat projection[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  double f = 1.0 / std::tan(22.5 * 3.14159265358979 / 180.0);
  EXPECT_NEAR(projection[5], f, 1e-5);
  EXPECT_NEAR(projection[0], f / aspect, 1e-5);
  GLint mode;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(Projection, SizeMessagesSetTheViewportAndAHeightOfZeroBecomesOne) {
  ScriptedGlContext context;
  ASSERT_TRUE(context.ok());
  GameWindowProc(nullptr, kWmSize, 0, (480 << 16) | 640);
  ExpectProjection(640, 480, 640.0 / 480.0);
  GameWindowProc(nullptr, kWmSize, 0, (0 << 16) | 300);
  ExpectProjection(300, 1, 300.0);
  // Minimising sends 0 by 0: a viewport of 0 by 1 and no division by zero.
  GameWindowProc(nullptr, kWmSize, 1, 0);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 0);
  EXPECT_EQ(viewport[3], 1);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Projection, NearAndFarPlanesAreTheGameConstants) {
  ScriptedGlContext context;
  ResizeScene(640, 480);
  GLfloat p[16];
  glGetFloatv(GL_PROJECTION_MATRIX, p);
  double near_plane = 0.10000000149011612, far_plane = 100.0;
  EXPECT_NEAR(p[10], (far_plane + near_plane) / (near_plane - far_plane), 1e-6);
  EXPECT_NEAR(p[14], 2 * far_plane * near_plane / (near_plane - far_plane), 1e-6);
}

TEST_F(Projection, ThePixelFormatKeepsTheFirstCreationsBits) {
  ASSERT_TRUE(CreateGameWindow("first", 640, 480, 16, false));
  DestroyGameWindow();
  ASSERT_TRUE(CreateGameWindow("second", 640, 480, 32, false));
  DestroyGameWindow();
  std::vector<std::string> formats = CallsStartingWith("ChoosePixelFormat");
  ASSERT_EQ(formats.size(), 2u);
  EXPECT_EQ(formats[0], "ChoosePixelFormat size=40 version=1 flags=0x25 type=0 colour=16 depth=16 stencil=0");
  EXPECT_EQ(formats[1], formats[0]);
  EXPECT_EQ(Scripted().live_windows, 0);
}

}  // namespace
