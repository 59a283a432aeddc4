// What the end-to-end tests read off the X server and off pictures. Each command that waits for something on the
// screen waits for it up to SECONDS, then judges what it saw; none decides by how long it slept.
//   look cursor                     prints "shown" or "hidden": whether the cursor image at the pointer has a
//                                   visible pixel (a hidden cursor is wholly transparent)
//   look buttons WINDOW             prints the root position "X Y" of the centre of each button of one of SDL's
//                                   message boxes, left to right, one per line; none before the box is drawn
//   look settled WINDOW SECONDS OUT.rgb  waits until the window's picture stops changing and writes it as raw
//                                   8-bit RGB, top row first
//   look changed WINDOW SECONDS FROM.rgb  waits until the window shows another picture than FROM; prints after
//                                   how many milliseconds
//   look turning WINDOW SECONDS     while the caller holds a key that turns the view, prints "right" or "left":
//                                   the way the picture moves (to the right when the view turns left)
//   look compare BOUND A B          whether pictures A and B (PNG, or 640x480 raw RGB named .rgb) show the same
//                                   view within the bound named for the renderers that drew them
//                                   (tests/support/picture_compare.h); exits 1 when they do not
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/picture_compare.h"
#include "tests/support/png_read.h"

namespace {

using Picture = std::vector<uint8_t>;  // RGB, top row first

// How long a picture must stay the same, and over how many looks, before it counts as settled: many of the
// game's 20 ms frames, so that a frame or two that happen to repeat do not pass for a still picture.
constexpr double kSettledMs = 500;
constexpr int kSettledLooks = 10;
// The pause between two looks at the window.
constexpr auto kLookPause = std::chrono::milliseconds(2);
// How many distinct pictures are grabbed in a row before their shifts are estimated, and how many estimates in a
// row must agree on the way the picture moves before that counts as the answer.
constexpr size_t kBurst = 8;
constexpr int kAgreeing = 3;

// Milliseconds on the steady clock.
double NowMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Errors of requests on a window that went away meanwhile are the caller's to judge: a grab then fails.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// The display of DISPLAY, or the end of the program with a message.
Display* OpenDisplay() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    fprintf(stderr, "look: cannot open the display\n");
    exit(1);
  }
  XSetErrorHandler(IgnoreXError);
  return display;
}

// A window id as xwininfo and xdotool print it (0x... or decimal).
Window WindowArgument(const char* text) { return static_cast<Window>(strtoul(text, nullptr, 0)); }

// look cursor: whether the cursor at the pointer shows.
int CursorCommand() {
  Display* display = OpenDisplay();
  XFixesCursorImage* image = XFixesGetCursorImage(display);
  if (!image) {
    fprintf(stderr, "look: no cursor image\n");
    return 1;
  }
  bool shown = false;
  for (int i = 0; i < image->width * image->height; ++i) {
    if ((image->pixels[i] >> 24) & 0xFF) shown = true;
  }
  printf("%s\n", shown ? "shown" : "hidden");
  XFree(image);
  XCloseDisplay(display);
  return 0;
}

// SDL fills its buttons with this grey, and nothing else in the box.
bool IsButtonFill(unsigned long pixel) {
  return ((pixel >> 16) & 0xFF) == 105 && ((pixel >> 8) & 0xFF) == 102 && (pixel & 0xFF) == 99;
}

// look buttons: where the buttons of one of SDL's message boxes are, once it is drawn.
int ButtonsCommand(const char* window_id) {
  Display* display = OpenDisplay();
  Window window = WindowArgument(window_id);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return 1;
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (!image) return 1;
  // The row with the most button fill crosses every button; its runs of fill are the buttons.
  int best_row = -1, best_count = 0;
  for (int y = 0; y < attributes.height; ++y) {
    int count = 0;
    for (int x = 0; x < attributes.width; ++x) count += IsButtonFill(XGetPixel(image, x, y));
    if (count > best_count) {
      best_count = count;
      best_row = y;
    }
  }
  if (best_row < 0) {
    fprintf(stderr, "look: no buttons in window %s\n", window_id);
    return 1;
  }
  Window child;
  int root_x = 0, root_y = 0;
  XTranslateCoordinates(display, window, attributes.root, 0, 0, &root_x, &root_y, &child);
  int start = -1;
  for (int x = 0; x <= attributes.width; ++x) {
    bool fill = x < attributes.width && IsButtonFill(XGetPixel(image, x, best_row));
    if (fill && start < 0) start = x;
    // Button text interrupts the fill: a run ends only at a gap wider than a letter.
    if (!fill && start >= 0) {
      int gap_end = x;
      while (gap_end < attributes.width && gap_end - x < 12 && !IsButtonFill(XGetPixel(image, gap_end, best_row))) {
        ++gap_end;
      }
      if (gap_end < attributes.width && gap_end - x < 12) {
        x = gap_end - 1;
        continue;
      }
      printf("%d %d\n", root_x + (start + x - 1) / 2, root_y + best_row);
      start = -1;
    }
  }
  XDestroyImage(image);
  XCloseDisplay(display);
  return 0;
}

// The window's picture as the screen shows it (read from the root, where the game's GL drawing shows too);
// empty when the window is gone.
Picture Grab(Display* display, Window window, int* width, int* height) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return {};
  Window child;
  int x = 0, y = 0;
  if (!XTranslateCoordinates(display, window, attributes.root, 0, 0, &x, &y, &child)) return {};
  XImage* image = XGetImage(display, attributes.root, x, y, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (!image) return {};
  *width = attributes.width;
  *height = attributes.height;
  Picture picture(static_cast<size_t>(*width) * static_cast<size_t>(*height) * 3);
  uint8_t* out = picture.data();
  // The tests' X servers are 24-bit: a pixel is 0xRRGGBB.
  for (int row = 0; row < *height; ++row) {
    for (int column = 0; column < *width; ++column) {
      unsigned long pixel = XGetPixel(image, column, row);
      *out++ = static_cast<uint8_t>(pixel >> 16);
      *out++ = static_cast<uint8_t>(pixel >> 8);
      *out++ = static_cast<uint8_t>(pixel);
    }
  }
  XDestroyImage(image);
  return picture;
}

// Writes a picture as raw RGB, as ImageMagick's rgb: format reads it.
bool WriteRaw(const char* path, const Picture& picture) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(picture.data()), static_cast<std::streamsize>(picture.size()));
  return static_cast<bool>(file);
}

// A 640x480 picture from a PNG, or from raw 8-bit RGB when the name ends in .rgb; empty when it cannot be read.
Picture ReadPicture(const std::string& path) {
  if (path.size() > 4 && path.compare(path.size() - 4, 4, ".rgb") == 0) {
    std::ifstream file(path, std::ios::binary);
    Picture picture((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return picture.size() == 640u * 480 * 3 ? picture : Picture();
  }
  int width = 0, height = 0;
  Picture picture = ReadPng(path, &width, &height);
  return width == 640 && height == 480 ? picture : Picture();
}

// look settled: the window's picture once it has stopped changing.
int SettledCommand(const char* window_id, double seconds, const char* out) {
  Display* display = OpenDisplay();
  Window window = WindowArgument(window_id);
  const double start = NowMs();
  Picture still;
  double still_since = start;
  int looks = 0;
  while (still.empty() || looks < kSettledLooks || NowMs() - still_since < kSettledMs) {
    if (NowMs() - start > seconds * 1000) {
      fprintf(stderr, "look: the window's picture did not stop changing within %g s\n", seconds);
      return 1;
    }
    int width = 0, height = 0;
    Picture now = Grab(display, window, &width, &height);
    if (!now.empty() && now == still) {
      ++looks;
    } else if (!now.empty()) {
      still = std::move(now);
      still_since = NowMs();
      looks = 1;
    }
    std::this_thread::sleep_for(kLookPause);
  }
  XCloseDisplay(display);
  if (!WriteRaw(out, still)) {
    fprintf(stderr, "look: cannot write %s\n", out);
    return 1;
  }
  return 0;
}

// look changed: waits until the window shows another picture than a raw shot.
int ChangedCommand(const char* window_id, double seconds, const char* from_path) {
  std::ifstream from_file(from_path, std::ios::binary);
  const Picture from((std::istreambuf_iterator<char>(from_file)), std::istreambuf_iterator<char>());
  if (from.empty()) {
    fprintf(stderr, "look: no picture in %s\n", from_path);
    return 2;
  }
  Display* display = OpenDisplay();
  Window window = WindowArgument(window_id);
  const double start = NowMs();
  for (;;) {
    int width = 0, height = 0;
    Picture now = Grab(display, window, &width, &height);
    if (!now.empty() && now != from) break;
    if (NowMs() - start > seconds * 1000) {
      fprintf(stderr, "look: the window's picture did not change within %g s\n", seconds);
      return 1;
    }
    std::this_thread::sleep_for(kLookPause);
  }
  printf("%.0f\n", NowMs() - start);
  XCloseDisplay(display);
  return 0;
}

// How well B laid over A at one horizontal offset matches, and at which offset it matches best.
struct ShiftEstimate {
  int shift;              // how many pixels the picture moved to the right from A to B (negative: to the left)
  double cost;            // the mean difference per channel at that offset
  double still_cost;      // ... at no offset at all
  double elsewhere_cost;  // ... at the best other match: a dip of the costs away from the best offset's valley
};

// How far from the best offset its valley reaches: a turn is a perspective change, not a pure shift, so offsets
// near the best one match almost as well; a second match further away means the pattern repeats.
constexpr int kValley = 16;

// Estimates how far the picture moved from A to B, over every offset up to half its width. Only the lower part
// of the picture is compared: in front of the player it shows the floor, whose pattern does not repeat the way a
// wall of stones does. The status bars at the left never move and are left out too.
ShiftEstimate EstimateShift(const Picture& a, const Picture& b, int width, int height) {
  const int left = width / 16;
  const int limit = width / 2;
  std::vector<double> costs(static_cast<size_t>(2 * limit + 1));
  auto cost_at = [&](int shift) { return costs[static_cast<size_t>(shift + limit)]; };
  for (int shift = -limit; shift <= limit; ++shift) {
    double cost = 0;
    long count = 0;
    for (int y = height * 11 / 20; y < height * 19 / 20; y += 2) {
      const uint8_t* row_a = a.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 3;
      const uint8_t* row_b = b.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 3;
      for (int x = std::max(left, left - shift); x < std::min(width, width - shift); ++x) {
        const uint8_t* p = row_a + static_cast<size_t>(x) * 3;
        const uint8_t* q = row_b + static_cast<size_t>(x + shift) * 3;
        cost += std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]);
        ++count;
      }
    }
    costs[static_cast<size_t>(shift + limit)] = count ? cost / static_cast<double>(count * 3) : 1e9;
  }
  ShiftEstimate estimate = {0, cost_at(0), cost_at(0), 1e9};
  for (int shift = -limit; shift <= limit; ++shift) {
    if (cost_at(shift) < estimate.cost) {
      estimate.cost = cost_at(shift);
      estimate.shift = shift;
    }
  }
  for (int shift = -limit; shift <= limit; ++shift) {
    if (std::abs(shift - estimate.shift) <= kValley) continue;
    bool dip = true;
    for (int near = std::max(-limit, shift - 3); near <= std::min(limit, shift + 3); ++near) {
      if (cost_at(near) < cost_at(shift)) dip = false;
    }
    if (dip) estimate.elsewhere_cost = std::min(estimate.elsewhere_cost, cost_at(shift));
  }
  return estimate;
}

// Whether an estimate measures a turn: well inside the range searched (the range's ends are where an estimate
// lands when nothing matches), clearly better than no shift at all, and matched nearly as well nowhere else.
bool IsClearTurn(const ShiftEstimate& estimate, int width) {
  const double gain = estimate.still_cost - estimate.cost;
  return estimate.shift != 0 && std::abs(estimate.shift) <= width / 4 && estimate.cost < estimate.still_cost / 2 &&
         estimate.elsewhere_cost - estimate.cost > gain / 2;
}

// look turning: which way the picture moves while the caller holds a key that turns the view.
int TurningCommand(const char* window_id, double seconds) {
  Display* display = OpenDisplay();
  Window window = WindowArgument(window_id);
  const double start = NowMs();
  int width = 0, height = 0, agreeing = 0, way = 0, pictures = 0, clear = 0;
  std::vector<Picture> burst;
  while (NowMs() - start <= seconds * 1000) {
    // Distinct pictures as fast as the screen gives them, estimated afterwards: an estimate takes longer than a
    // frame, and estimating between grabs would let the game turn further between two of them.
    while (burst.size() < kBurst && NowMs() - start <= seconds * 1000) {
      Picture now = Grab(display, window, &width, &height);
      bool distinct = burst.empty() || (now.size() == burst.back().size() && now != burst.back());
      if (!now.empty() && distinct) burst.push_back(std::move(now));
      std::this_thread::sleep_for(kLookPause);
    }
    for (size_t i = 1; i < burst.size(); ++i) {
      ++pictures;
      ShiftEstimate estimate = EstimateShift(burst[i - 1], burst[i], width, height);
      bool taken = IsClearTurn(estimate, width);
      fprintf(stderr, "look: moved %+d (mean difference %.2f, unmoved %.2f, elsewhere %.2f)%s\n", estimate.shift,
              estimate.cost, estimate.still_cost, estimate.elsewhere_cost, taken ? "" : ": left out");
      if (!taken) continue;
      ++clear;
      int now_way = estimate.shift > 0 ? 1 : -1;
      agreeing = now_way == way ? agreeing + 1 : 1;
      way = now_way;
      if (agreeing >= kAgreeing) {
        printf("%s\n", way > 0 ? "right" : "left");
        XCloseDisplay(display);
        return 0;
      }
    }
    if (burst.size() > 1) burst.erase(burst.begin(), burst.end() - 1);
  }
  fprintf(stderr, "look: the picture did not turn one way within %g s (%d pictures, %d clear estimates)\n", seconds,
          pictures, clear);
  return 1;
}

// look compare: whether two pictures show the same view within a named bound.
int CompareCommand(const char* bound_name, const char* a_path, const char* b_path) {
  const PictureBound* bound = FindPictureBound(bound_name);
  if (!bound) {
    fprintf(stderr, "look: no bound named %s\n", bound_name);
    return 2;
  }
  Picture a = ReadPicture(a_path), b = ReadPicture(b_path);
  for (auto [picture, path] : {std::pair{&a, a_path}, std::pair{&b, b_path}}) {
    if (picture->empty()) {
      fprintf(stderr, "look: %s is no 640x480 picture\n", path);
      return 2;
    }
  }
  PictureDifference difference = ComparePictures(a, b, *bound);
  printf("%d pixels off by more than %d levels (at most %d), a mean difference of %.3f levels (at most %g)\n",
         difference.differing, bound->channel_distance, bound->most_differing, difference.mean, bound->most_mean);
  return difference.within ? 0 : 1;
}

}  // namespace

// Runs the command the first argument names.
int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (argc == 2 && command == "cursor") return CursorCommand();
  if (argc == 3 && command == "buttons") return ButtonsCommand(argv[2]);
  if (argc == 5 && command == "settled") return SettledCommand(argv[2], atof(argv[3]), argv[4]);
  if (argc == 5 && command == "changed") return ChangedCommand(argv[2], atof(argv[3]), argv[4]);
  if (argc == 4 && command == "turning") return TurningCommand(argv[2], atof(argv[3]));
  if (argc == 5 && command == "compare") return CompareCommand(argv[2], argv[3], argv[4]);
  fprintf(stderr, "usage: look cursor | look buttons WINDOW | look settled WINDOW SECONDS OUT.rgb | "
                  "look changed WINDOW SECONDS FROM.rgb | look turning WINDOW SECONDS | look compare BOUND A B\n");
  return 2;
}
