/* What the end-to-end tests read off the X server and the screenshots:
 *   look cursor                 prints "shown" or "hidden": whether the cursor image at the pointer has a
 *                               visible pixel (a hidden cursor is wholly transparent)
 *   look buttons WINDOW         prints the root position "X Y" of the centre of each button of one of SDL's
 *                               message boxes, left to right, one per line
 *   look shift A.rgb B.rgb W H  prints how many pixels the picture moved to the right from A to B (negative:
 *                               to the left), from two raw 8-bit RGB screenshots of W x H, top row first
 *   look change WINDOW S FROM TO  renames file FROM to TO (a save, as editors make one) and prints how many
 *                               milliseconds pass until the window shows a different picture; fails after S
 *                               seconds */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static Display* OpenDisplay(void) {
  Display* display = XOpenDisplay(NULL);
  if (!display) {
    fprintf(stderr, "look: cannot open the display\n");
    exit(1);
  }
  return display;
}

static int CursorCommand(void) {
  Display* display = OpenDisplay();
  XFixesCursorImage* image = XFixesGetCursorImage(display);
  if (!image) {
    fprintf(stderr, "look: no cursor image\n");
    return 1;
  }
  int shown = 0;
  for (int i = 0; i < image->width * image->height; ++i) {
    if ((image->pixels[i] >> 24) & 0xFF) shown = 1;
  }
  printf("%s\n", shown ? "shown" : "hidden");
  XFree(image);
  XCloseDisplay(display);
  return 0;
}

/* SDL fills its buttons with this grey, and nothing else in the box. */
static int IsButtonFill(unsigned long pixel) {
  return ((pixel >> 16) & 0xFF) == 105 && ((pixel >> 8) & 0xFF) == 102 && (pixel & 0xFF) == 99;
}

static int ButtonsCommand(const char* window_id) {
  Display* display = OpenDisplay();
  Window window = (Window)strtoul(window_id, NULL, 0);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return 1;
  XImage* image = XGetImage(display, window, 0, 0, (unsigned)attributes.width, (unsigned)attributes.height, AllPlanes,
                            ZPixmap);
  if (!image) return 1;
  /* The row with the most button fill crosses every button; its runs of fill are the buttons. */
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
    int fill = x < attributes.width && IsButtonFill(XGetPixel(image, x, best_row));
    if (fill && start < 0) start = x;
    /* Button text interrupts the fill: a run ends only at a gap wider than a letter. */
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

static unsigned char* ReadPicture(const char* path, size_t size) {
  FILE* file = fopen(path, "rb");
  if (!file) return NULL;
  unsigned char* pixels = malloc(size);
  size_t got = pixels ? fread(pixels, 1, size, file) : 0;
  fclose(file);
  if (got != size) {
    free(pixels);
    return NULL;
  }
  return pixels;
}

/* The horizontal offset that best lays B over A. Only the lower part of the picture is compared: in front of the
 * player it shows the floor, whose pattern does not repeat the way a wall of stones does, and on the title screen
 * nothing of it moves. The status bars at the left never move and are left out too. */
static int ShiftCommand(const char* a_path, const char* b_path, int width, int height) {
  size_t size = (size_t)width * (size_t)height * 3;
  unsigned char* a = ReadPicture(a_path, size);
  unsigned char* b = ReadPicture(b_path, size);
  if (!a || !b) {
    fprintf(stderr, "look: cannot read the two %dx%d pictures\n", width, height);
    return 1;
  }
  int left = width / 16;
  int limit = width / 2;
  int best_shift = 0;
  double best_cost = -1;
  for (int shift = -limit; shift <= limit; ++shift) {
    double cost = 0;
    long count = 0;
    for (int y = height * 11 / 20; y < height * 19 / 20; y += 2) {
      for (int x = left; x < width; ++x) {
        int moved = x + shift;
        if (moved < left || moved >= width) continue;
        const unsigned char* p = a + ((size_t)y * (size_t)width + (size_t)x) * 3;
        const unsigned char* q = b + ((size_t)y * (size_t)width + (size_t)moved) * 3;
        for (int c = 0; c < 3; ++c) cost += abs((int)p[c] - (int)q[c]);
        ++count;
      }
    }
    cost /= (double)count;
    if (best_cost < 0 || cost < best_cost) {
      best_cost = cost;
      best_shift = shift;
    }
  }
  printf("%d\n", best_shift);
  free(a);
  free(b);
  return 0;
}

static double MonotonicMs(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (double)now.tv_sec * 1000.0 + (double)now.tv_nsec / 1e6;
}

static int ChangeCommand(const char* window_id, double seconds, const char* from, const char* to) {
  Display* display = OpenDisplay();
  Window window = (Window)strtoul(window_id, NULL, 0);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return 1;
  unsigned width = (unsigned)attributes.width, height = (unsigned)attributes.height;
  XImage* before = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
  if (!before) return 1;
  size_t bytes = (size_t)before->bytes_per_line * height;
  double start = MonotonicMs();
  if (rename(from, to) != 0) {
    perror("look: rename");
    return 1;
  }
  for (;;) {
    XImage* now = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
    int differs = now && memcmp(before->data, now->data, bytes) != 0;
    if (now) XDestroyImage(now);
    double elapsed = MonotonicMs() - start;
    if (differs) {
      printf("%.0f\n", elapsed);
      break;
    }
    if (elapsed > seconds * 1000) {
      fprintf(stderr, "look: the window did not change within %g s\n", seconds);
      return 1;
    }
    usleep(2000);
  }
  XDestroyImage(before);
  XCloseDisplay(display);
  return 0;
}

int main(int argc, char** argv) {
  if (argc == 2 && strcmp(argv[1], "cursor") == 0) return CursorCommand();
  if (argc == 3 && strcmp(argv[1], "buttons") == 0) return ButtonsCommand(argv[2]);
  if (argc == 6 && strcmp(argv[1], "shift") == 0) return ShiftCommand(argv[2], argv[3], atoi(argv[4]), atoi(argv[5]));
  if (argc == 6 && strcmp(argv[1], "change") == 0) return ChangeCommand(argv[2], atof(argv[3]), argv[4], argv[5]);
  fprintf(stderr, "usage: look cursor | look buttons WINDOW | look shift A.rgb B.rgb WIDTH HEIGHT | "
          "look change WINDOW SECONDS FROM TO\n");
  return 2;
}
