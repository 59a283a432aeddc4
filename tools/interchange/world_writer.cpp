#include "tools/interchange/world_writer.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// A comment is one line and stays shorter than the 254 characters the loader reads as one piece: a longer
// line's next piece would not begin with the comment's slash.
void AppendComment(std::string* text, std::string_view comment) {
  constexpr size_t kLongest = 200;
  *text += "/ ";
  for (char c : comment.substr(0, kLongest)) *text += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
  *text += '\n';
}

// Writes value in a form that reads back as the same float. Levels are made of numbers with a few decimals:
// such a number is written from its digits, when the float nearest to those digits is value itself (closer than
// half the step to either neighbour); any other in the shortest form to_chars finds.
char* PutNumber(char* at, float value) {
  constexpr double kScales[] = {1, 1e1, 1e2, 1e3, 1e4};
  const float magnitude = std::fabs(value);
  if (magnitude >= 1e-3f && magnitude < 1e9f) {
    // The steps to the neighbouring floats: one unit of the last of its 24 bits above, and as much below
    // except at a power of two, where the floats below lie twice as close.
    const uint32_t bits = std::bit_cast<uint32_t>(magnitude);
    const double above = std::bit_cast<double>(static_cast<uint64_t>((bits >> 23) - 150 + 1023) << 52);
    const double below = (bits & 0x7FFFFF) == 0 ? above / 2 : above;
    for (int places = 0; places < 5; ++places) {
      // Exact in double precision: 24 bits of the float times at most 14 of the scale.
      const double scaled = magnitude * kScales[places];
      const double digits = static_cast<double>(static_cast<int64_t>(scaled + 0.5));
      const double off = digits - scaled;
      if (off <= -below / 2 * kScales[places] || off >= above / 2 * kScales[places]) continue;
      char number[24];
      char* end = std::to_chars(number, number + sizeof number, static_cast<int64_t>(digits)).ptr;
      int length = static_cast<int>(end - number);
      if (std::signbit(value)) *at++ = '-';
      if (length <= places) {
        *at++ = '0';
        *at++ = '.';
        for (int zero = length; zero < places; ++zero) *at++ = '0';
        memcpy(at, number, static_cast<size_t>(length));
        return at + length;
      }
      memcpy(at, number, static_cast<size_t>(length - places));
      at += length - places;
      if (places > 0) {
        *at++ = '.';
        memcpy(at, end - places, static_cast<size_t>(places));
        at += places;
      }
      return at;
    }
  }
  return std::to_chars(at, at + 32, value).ptr;
}

}  // namespace

std::string WorldFileText(const ImportedScene& scene, std::string_view origin) {
  // Each corner's line is made once, however many triangles share it.
  std::string corner_lines;
  std::vector<size_t> line_start(scene.corners.size() + 1);
  // Five numbers of at most 15 characters each and their separators.
  corner_lines.resize(scene.corners.size() * 5 * 16);
  char* at = corner_lines.data();
  for (size_t i = 0; i < scene.corners.size(); ++i) {
    line_start[i] = static_cast<size_t>(at - corner_lines.data());
    const WorldVertex& v = scene.corners[i];
    for (float number : {v.x, v.y, v.z, v.u}) {
      at = PutNumber(at, number);
      *at++ = ' ';
    }
    at = PutNumber(at, v.v);
    *at++ = '\n';
  }
  line_start[scene.corners.size()] = static_cast<size_t>(at - corner_lines.data());

  std::string text;
  AppendComment(&text, std::string("Imported by gorvane-assets from ") + std::string(origin));
  text += "NUMPOLLIES " + std::to_string(scene.triangles.size()) + "\n";
  // Measured first and copied into place after, the triangles' lines being most of the file.
  size_t size = text.size();
  std::string comments;
  std::vector<size_t> comment_start = {0};
  for (const std::string& name : scene.sources) {
    AppendComment(&comments, name);
    comment_start.push_back(comments.size());
  }
  int32_t source = -1;
  for (const ImportedTriangle& t : scene.triangles) {
    if (t.source != source) {
      source = t.source;
      size += comment_start[static_cast<size_t>(source) + 1] - comment_start[static_cast<size_t>(source)];
    }
    size += (t.texture_slot < 10 ? 2 : 3);
    for (uint32_t corner : t.corners) size += line_start[corner + 1] - line_start[corner];
  }
  size_t written = text.size();
  text.resize(size);
  char* out = text.data() + written;
  source = -1;
  for (const ImportedTriangle& t : scene.triangles) {
    if (t.source != source) {
      source = t.source;
      const size_t from = comment_start[static_cast<size_t>(source)];
      const size_t length = comment_start[static_cast<size_t>(source) + 1] - from;
      memcpy(out, comments.data() + from, length);
      out += length;
    }
    out = std::to_chars(out, out + 3, t.texture_slot).ptr;
    *out++ = '\n';
    for (uint32_t corner : t.corners) {
      const size_t length = line_start[corner + 1] - line_start[corner];
      memcpy(out, corner_lines.data() + line_start[corner], length);
      out += length;
    }
  }
  return text;
}
