// The one door to the operating system. Game code reaches windows, display modes, the OpenGL context, message
// boxes, the cursor, the clocks and sound only through these functions. Each backend (SDL2, Win32, scripted)
// implements all of them; the backend is chosen at link time.
//
// The operations keep the meaning of the Windows calls the game was written against, and the constants keep
// the Windows numbers (virtual-key codes, message identifiers, styles, answers, flags), because the game's
// rules are written in those terms.
#pragma once

#include <cstdint>

// Opaque handles. A backend decides what they point at; the game only stores and passes them.
typedef struct OsInstanceRecord* OsInstance;
typedef struct OsWindowRecord* OsWindow;
typedef struct OsDeviceContextRecord* OsDeviceContext;
typedef struct OsGlContextRecord* OsGlContext;

// Window procedure: (window, message, wparam, lparam) -> message result.
typedef intptr_t (*OsWindowProc)(OsWindow window, uint32_t message, uintptr_t wparam, intptr_t lparam);

struct OsPoint {
  int32_t x;
  int32_t y;
};

struct OsRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// One retrieved window message.
struct OsMessage {
  OsWindow window;
  uint32_t message;
  uintptr_t wparam;
  intptr_t lparam;
};

// The window class the game registers.
struct OsWindowClass {
  uint32_t style;
  OsWindowProc window_proc;
  OsInstance instance;
  uint32_t icon_id;    // a system icon (kIdiWinLogo)
  uint32_t cursor_id;  // a system cursor (kIdcArrow)
  const char* class_name;
};

// A requested display mode; fields holds the kDm* bits of the members that count.
struct OsDisplayMode {
  uint32_t fields;
  uint32_t bits_per_pixel;
  uint32_t width;
  uint32_t height;
};

// Laid out exactly like the Windows pixel format descriptor (40 bytes).
struct OsPixelFormat {
  uint16_t size;
  uint16_t version;
  uint32_t flags;
  uint8_t pixel_type;
  uint8_t color_bits;
  uint8_t red_bits, red_shift, green_bits, green_shift, blue_bits, blue_shift;
  uint8_t alpha_bits, alpha_shift;
  uint8_t accum_bits, accum_red_bits, accum_green_bits, accum_blue_bits, accum_alpha_bits;
  uint8_t depth_bits;
  uint8_t stencil_bits;
  uint8_t aux_buffers;
  uint8_t layer_type;
  uint8_t reserved;
  uint32_t layer_mask;
  uint32_t visible_mask;
  uint32_t damage_mask;
};
static_assert(sizeof(OsPixelFormat) == 40, "pixel format record must match the Windows layout");

// Window messages.
constexpr uint32_t kWmSize = 0x0005;
constexpr uint32_t kWmActivate = 0x0006;
constexpr uint32_t kWmClose = 0x0010;
constexpr uint32_t kWmQuit = 0x0012;
constexpr uint32_t kWmKeyDown = 0x0100;
constexpr uint32_t kWmKeyUp = 0x0101;
constexpr uint32_t kWmSysKeyDown = 0x0104;
constexpr uint32_t kWmSysKeyUp = 0x0105;
constexpr uint32_t kWmSysCommand = 0x0112;

// System commands (wparam of kWmSysCommand).
constexpr uintptr_t kScScreenSave = 0xF140;
constexpr uintptr_t kScMonitorPower = 0xF170;

// Virtual-key codes the game reads. Letters are their upper-case ASCII code, digits their ASCII code.
constexpr uint32_t kVkBack = 0x08;
constexpr uint32_t kVkTab = 0x09;
constexpr uint32_t kVkReturn = 0x0D;
constexpr uint32_t kVkShift = 0x10;
constexpr uint32_t kVkControl = 0x11;
constexpr uint32_t kVkMenu = 0x12;
constexpr uint32_t kVkEscape = 0x1B;
constexpr uint32_t kVkSpace = 0x20;
constexpr uint32_t kVkLeft = 0x25;
constexpr uint32_t kVkUp = 0x26;
constexpr uint32_t kVkRight = 0x27;
constexpr uint32_t kVkDown = 0x28;
constexpr uint32_t kVkF1 = 0x70;  // F2 to F12 follow in order

// Message-box styles and answers.
constexpr uint32_t kMbOk = 0x00;
constexpr uint32_t kMbYesNo = 0x04;
constexpr uint32_t kMbIconStop = 0x10;
constexpr uint32_t kMbIconQuestion = 0x20;
constexpr uint32_t kMbIconExclamation = 0x30;
constexpr uint32_t kMbIconInformation = 0x40;
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// Class styles, window styles and extended styles.
constexpr uint32_t kCsVRedraw = 0x0001;
constexpr uint32_t kCsHRedraw = 0x0002;
constexpr uint32_t kCsOwnDc = 0x0020;
constexpr uint32_t kWsOverlappedWindow = 0x00CF0000;
constexpr uint32_t kWsPopup = 0x80000000;
constexpr uint32_t kWsClipSiblings = 0x04000000;
constexpr uint32_t kWsClipChildren = 0x02000000;
constexpr uint32_t kWsExWindowEdge = 0x00000100;
constexpr uint32_t kWsExAppWindow = 0x00040000;
constexpr uint32_t kIdiWinLogo = 32517;
constexpr uint32_t kIdcArrow = 32512;
constexpr int kSwShow = 5;

// Display modes.
constexpr uint32_t kDmBitsPerPel = 0x00040000;
constexpr uint32_t kDmPelsWidth = 0x00080000;
constexpr uint32_t kDmPelsHeight = 0x00100000;
constexpr uint32_t kCdsFullscreen = 0x00000004;
constexpr int32_t kDispChangeSuccessful = 0;
constexpr int32_t kDispChangeFailed = -1;
constexpr int32_t kDispChangeBadMode = -2;

// Pixel formats.
constexpr uint32_t kPfdDoubleBuffer = 0x00000001;
constexpr uint32_t kPfdDrawToWindow = 0x00000004;
constexpr uint32_t kPfdSupportOpenGl = 0x00000020;
constexpr uint8_t kPfdTypeRgba = 0;
constexpr uint8_t kPfdMainPlane = 0;

// Sound flags.
constexpr uint32_t kSndAsync = 0x0001;
constexpr uint32_t kSndLoop = 0x0008;

// The game's entry point, defined by the game and called by the backend's process entry. Returns the exit code.
// It has a namespace of its own so that it never meets the Windows headers' declaration of the process entry.
namespace gorvane {
int WinMain(OsInstance instance, OsInstance previous_instance, char* command_line, int show_command);
}

// Shows a modal message box and waits for the answer (kIdOk, kIdYes, kIdNo). owner may be null. Where no box
// can be shown, returns the Escape-key answer of the style (kIdNo for kMbYesNo, kIdOk for kMbOk).
int OsShowMessageBox(OsWindow owner, const char* text, const char* caption, uint32_t style);

// Removes the next waiting message of any window into *message; false when none waits.
bool OsPeekMessage(OsMessage* message);
// Generates character messages for key messages where the platform has them; the game reads none.
void OsTranslateMessage(const OsMessage* message);
// Hands the message to its window's procedure and returns the procedure's result.
intptr_t OsDispatchMessage(const OsMessage* message);
// Queues the quit message with exit_code as its wparam.
void OsPostQuitMessage(int exit_code);
// The platform's default handling of a message the game does not handle.
intptr_t OsDefaultWindowProc(OsWindow window, uint32_t message, uintptr_t wparam, intptr_t lparam);

// The program's own module handle.
OsInstance OsGetModuleHandle();
// Registers a window class; returns its atom, 0 on failure.
uint16_t OsRegisterWindowClass(const OsWindowClass* window_class);
// Unregisters the class; false on failure.
bool OsUnregisterWindowClass(const char* class_name, OsInstance instance);

// Asks for a display mode (flags kCdsFullscreen), or with a null mode returns to the desktop's own mode.
// Returns kDispChangeSuccessful or a negative kDispChange* failure.
int32_t OsChangeDisplayMode(const OsDisplayMode* mode, uint32_t flags);
// Adds one to (show) or takes one from (hide) the cursor's display counter; the cursor shows while the counter
// is 0 or more. Returns the new counter.
int OsShowCursor(bool show);
// Reads the cursor's position in screen pixels.
bool OsGetCursorPos(OsPoint* point);
// Moves the cursor to a position in screen pixels.
bool OsSetCursorPos(int x, int y);

// Grows a client rectangle to the window rectangle that holds it for the given styles.
bool OsAdjustWindowRect(OsRect* rect, uint32_t style, bool has_menu, uint32_t ex_style);
// Creates a window of a registered class; null on failure. The window is hidden until OsShowWindow.
OsWindow OsCreateWindow(uint32_t ex_style, const char* class_name, const char* title, uint32_t style, int x, int y,
                        int width, int height, OsInstance instance);
// Destroys a window; false on failure.
bool OsDestroyWindow(OsWindow window);
// Shows the window (kSwShow).
void OsShowWindow(OsWindow window, int show_command);
// Brings the window to the foreground.
void OsSetForegroundWindow(OsWindow window);
// Gives the window the keyboard focus.
void OsSetFocus(OsWindow window);
// The window that has the keyboard focus, or null.
OsWindow OsGetFocus();

// The window's device context; null on failure. Release it with OsReleaseDeviceContext.
OsDeviceContext OsGetDeviceContext(OsWindow window);
// Releases a device context got from the window; false on failure.
bool OsReleaseDeviceContext(OsWindow window, OsDeviceContext device_context);
// The pixel format that best matches the request, 0 when none does.
int OsChoosePixelFormat(OsDeviceContext device_context, const OsPixelFormat* request);
// Sets the device context's pixel format; false on failure.
bool OsSetPixelFormat(OsDeviceContext device_context, int format, const OsPixelFormat* request);
// Creates an OpenGL rendering context for the device context; null on failure.
OsGlContext OsCreateGlContext(OsDeviceContext device_context);
// Makes the context current on this thread; both null makes none current. False on failure.
bool OsMakeGlContextCurrent(OsDeviceContext device_context, OsGlContext gl_context);
// Deletes a rendering context; false on failure.
bool OsDeleteGlContext(OsGlContext gl_context);
// Shows the back buffer.
bool OsSwapBuffers(OsDeviceContext device_context);

// The performance counter's frequency in counts per second; false when the system has no counter.
bool OsQueryPerformanceFrequency(int64_t* counts_per_second);
// The performance counter's current count.
bool OsQueryPerformanceCounter(int64_t* count);
// The multimedia clock: milliseconds since the system started, wrapping at 2^32.
uint32_t OsTimeGetTime();

// Starts playing a WAV file by name, asynchronously (kSndAsync), looping with kSndLoop, after stopping whatever
// plays. A file that cannot be played sounds the platform's default sound instead. Returns at once.
bool OsPlaySound(const char* file_name, uint32_t flags);
