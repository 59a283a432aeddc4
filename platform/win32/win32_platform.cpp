// The native Win32 backend: each operation forwards to the Windows call of the same meaning.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <mmsystem.h>

#include "platform/os.h"

static_assert(kWmSize == WM_SIZE && kWmActivate == WM_ACTIVATE && kWmClose == WM_CLOSE && kWmQuit == WM_QUIT);
static_assert(kWmKeyDown == WM_KEYDOWN && kWmKeyUp == WM_KEYUP && kWmSysCommand == WM_SYSCOMMAND);
static_assert(kWmSysKeyDown == WM_SYSKEYDOWN && kWmSysKeyUp == WM_SYSKEYUP);
static_assert(kScScreenSave == SC_SCREENSAVE && kScMonitorPower == SC_MONITORPOWER);
static_assert(kVkEscape == VK_ESCAPE && kVkLeft == VK_LEFT && kVkUp == VK_UP && kVkRight == VK_RIGHT);
static_assert(kVkDown == VK_DOWN && kVkF1 == VK_F1 && kVkMenu == VK_MENU && kVkShift == VK_SHIFT);
static_assert(kMbOk == MB_OK && kMbYesNo == MB_YESNO && kMbIconStop == MB_ICONSTOP);
static_assert(kMbIconQuestion == MB_ICONQUESTION && kMbIconExclamation == MB_ICONEXCLAMATION);
static_assert(kMbIconInformation == MB_ICONINFORMATION && kIdOk == IDOK && kIdYes == IDYES && kIdNo == IDNO);
static_assert(kCsVRedraw == CS_VREDRAW && kCsHRedraw == CS_HREDRAW && kCsOwnDc == CS_OWNDC);
static_assert(kWsOverlappedWindow == WS_OVERLAPPEDWINDOW && kWsPopup == WS_POPUP);
static_assert(kWsClipSiblings == WS_CLIPSIBLINGS && kWsClipChildren == WS_CLIPCHILDREN);
static_assert(kWsExWindowEdge == WS_EX_WINDOWEDGE && kWsExAppWindow == WS_EX_APPWINDOW && kSwShow == SW_SHOW);
static_assert(kDmBitsPerPel == DM_BITSPERPEL && kDmPelsWidth == DM_PELSWIDTH && kDmPelsHeight == DM_PELSHEIGHT);
static_assert(kCdsFullscreen == CDS_FULLSCREEN && kDispChangeSuccessful == DISP_CHANGE_SUCCESSFUL);
static_assert(kDispChangeFailed == DISP_CHANGE_FAILED && kDispChangeBadMode == DISP_CHANGE_BADMODE);
static_assert(kPfdDoubleBuffer == PFD_DOUBLEBUFFER && kPfdDrawToWindow == PFD_DRAW_TO_WINDOW);
static_assert(kPfdSupportOpenGl == PFD_SUPPORT_OPENGL && kPfdTypeRgba == PFD_TYPE_RGBA);
static_assert(kPfdMainPlane == PFD_MAIN_PLANE && kSndAsync == SND_ASYNC && kSndLoop == SND_LOOP);
static_assert(sizeof(OsPixelFormat) == sizeof(PIXELFORMATDESCRIPTOR));
static_assert(kIdiWinLogo == 32517 && kIdcArrow == 32512);

namespace {

// The game's window procedures, reached through one trampoline with the Windows calling convention.
struct Win32Backend {
  OsWindowProc window_proc = nullptr;
};

Win32Backend s_win32;

LRESULT CALLBACK WindowProcTrampoline(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!s_win32.window_proc) return DefWindowProcA(window, message, wparam, lparam);
  return s_win32.window_proc(reinterpret_cast<OsWindow>(window), message, wparam, lparam);
}

HWND Hwnd(OsWindow window) { return reinterpret_cast<HWND>(window); }
HDC Hdc(OsDeviceContext device_context) { return reinterpret_cast<HDC>(device_context); }
HGLRC Hglrc(OsGlContext gl_context) { return reinterpret_cast<HGLRC>(gl_context); }

const PIXELFORMATDESCRIPTOR* Descriptor(const OsPixelFormat* format) {
  return reinterpret_cast<const PIXELFORMATDESCRIPTOR*>(format);
}

MSG NativeMessage(const OsMessage* message) {
  MSG msg = {};
  msg.hwnd = Hwnd(message->window);
  msg.message = message->message;
  msg.wParam = message->wparam;
  msg.lParam = message->lparam;
  return msg;
}

}  // namespace

int OsShowMessageBox(OsWindow owner, const char* text, const char* caption, uint32_t style) {
  return MessageBoxA(Hwnd(owner), text, caption, style);
}

bool OsPeekMessage(OsMessage* message) {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  *message = {reinterpret_cast<OsWindow>(msg.hwnd), msg.message, msg.wParam, msg.lParam};
  return true;
}

void OsTranslateMessage(const OsMessage* message) {
  MSG msg = NativeMessage(message);
  TranslateMessage(&msg);
}

intptr_t OsDispatchMessage(const OsMessage* message) {
  MSG msg = NativeMessage(message);
  return DispatchMessageA(&msg);
}

void OsPostQuitMessage(int exit_code) { PostQuitMessage(exit_code); }

intptr_t OsDefaultWindowProc(OsWindow window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  return DefWindowProcA(Hwnd(window), message, wparam, lparam);
}

OsInstance OsGetModuleHandle() { return reinterpret_cast<OsInstance>(GetModuleHandleA(nullptr)); }

uint16_t OsRegisterWindowClass(const OsWindowClass* window_class) {
  s_win32.window_proc = window_class->window_proc;
  WNDCLASSA wc = {};
  wc.style = window_class->style;
  wc.lpfnWndProc = WindowProcTrampoline;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = 0;
  wc.hInstance = reinterpret_cast<HINSTANCE>(window_class->instance);
  wc.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(window_class->icon_id));
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(window_class->cursor_id));
  wc.hbrBackground = nullptr;
  wc.lpszMenuName = nullptr;
  wc.lpszClassName = window_class->class_name;
  return RegisterClassA(&wc);
}

bool OsUnregisterWindowClass(const char* class_name, OsInstance instance) {
  return UnregisterClassA(class_name, reinterpret_cast<HINSTANCE>(instance)) != 0;
}

int32_t OsChangeDisplayMode(const OsDisplayMode* mode, uint32_t flags) {
  if (!mode) return ChangeDisplaySettingsA(nullptr, 0);
  DEVMODEA dm;
  ZeroMemory(&dm, sizeof dm);
  dm.dmSize = sizeof dm;
  dm.dmPelsWidth = mode->width;
  dm.dmPelsHeight = mode->height;
  dm.dmBitsPerPel = mode->bits_per_pixel;
  dm.dmFields = mode->fields;
  return ChangeDisplaySettingsA(&dm, flags);
}

int OsShowCursor(bool show) { return ShowCursor(show ? TRUE : FALSE); }

bool OsGetCursorPos(OsPoint* point) {
  POINT p;
  if (!GetCursorPos(&p)) return false;
  *point = {p.x, p.y};
  return true;
}

bool OsSetCursorPos(int x, int y) { return SetCursorPos(x, y) != 0; }

bool OsAdjustWindowRect(OsRect* rect, uint32_t style, bool has_menu, uint32_t ex_style) {
  RECT r = {rect->left, rect->top, rect->right, rect->bottom};
  BOOL ok = AdjustWindowRectEx(&r, style, has_menu ? TRUE : FALSE, ex_style);
  *rect = {r.left, r.top, r.right, r.bottom};
  return ok != 0;
}

OsWindow OsCreateWindow(uint32_t ex_style, const char* class_name, const char* title, uint32_t style, int x, int y,
                        int width, int height, OsInstance instance) {
  return reinterpret_cast<OsWindow>(CreateWindowExA(ex_style, class_name, title, style, x, y, width, height, nullptr,
                                                    nullptr, reinterpret_cast<HINSTANCE>(instance), nullptr));
}

bool OsDestroyWindow(OsWindow window) { return DestroyWindow(Hwnd(window)) != 0; }

void OsShowWindow(OsWindow window, int show_command) { ShowWindow(Hwnd(window), show_command); }

void OsSetForegroundWindow(OsWindow window) { SetForegroundWindow(Hwnd(window)); }

void OsSetFocus(OsWindow window) { SetFocus(Hwnd(window)); }

OsWindow OsGetFocus() { return reinterpret_cast<OsWindow>(GetFocus()); }

OsDeviceContext OsGetDeviceContext(OsWindow window) { return reinterpret_cast<OsDeviceContext>(GetDC(Hwnd(window))); }

bool OsReleaseDeviceContext(OsWindow window, OsDeviceContext device_context) {
  return ReleaseDC(Hwnd(window), Hdc(device_context)) != 0;
}

int OsChoosePixelFormat(OsDeviceContext device_context, const OsPixelFormat* request) {
  return ChoosePixelFormat(Hdc(device_context), Descriptor(request));
}

bool OsSetPixelFormat(OsDeviceContext device_context, int format, const OsPixelFormat* request) {
  return SetPixelFormat(Hdc(device_context), format, Descriptor(request)) != 0;
}

OsGlContext OsCreateGlContext(OsDeviceContext device_context) {
  return reinterpret_cast<OsGlContext>(wglCreateContext(Hdc(device_context)));
}

bool OsMakeGlContextCurrent(OsDeviceContext device_context, OsGlContext gl_context) {
  return wglMakeCurrent(Hdc(device_context), Hglrc(gl_context)) != 0;
}

bool OsDeleteGlContext(OsGlContext gl_context) { return wglDeleteContext(Hglrc(gl_context)) != 0; }

bool OsSwapBuffers(OsDeviceContext device_context) { return SwapBuffers(Hdc(device_context)) != 0; }

bool OsQueryPerformanceFrequency(int64_t* counts_per_second) {
  LARGE_INTEGER frequency;
  BOOL ok = QueryPerformanceFrequency(&frequency);
  *counts_per_second = frequency.QuadPart;
  return ok != 0;
}

bool OsQueryPerformanceCounter(int64_t* count) {
  LARGE_INTEGER now;
  BOOL ok = QueryPerformanceCounter(&now);
  *count = now.QuadPart;
  return ok != 0;
}

uint32_t OsTimeGetTime() { return timeGetTime(); }

bool OsPlaySound(const char* file_name, uint32_t flags) { return PlaySoundA(file_name, nullptr, flags) != 0; }
