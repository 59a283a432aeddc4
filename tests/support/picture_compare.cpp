#include "tests/support/picture_compare.h"

#include <algorithm>
#include <cstdlib>

PictureDifference ComparePictures(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                                  const PictureBound& bound) {
  if (a.size() != b.size() || a.empty()) return {static_cast<int>(std::max(a.size(), b.size()) / 3), 255, false};
  int differing = 0;
  double sum = 0;
  for (size_t i = 0; i + 2 < a.size(); i += 3) {
    int most = 0;
    for (size_t c = 0; c < 3; c++) {
      int d = std::abs(a[i + c] - b[i + c]);
      sum += d;
      most = std::max(most, d);
    }
    if (most > bound.channel_distance) differing++;
  }
  const double mean = sum / static_cast<double>(a.size());
  return {differing, mean, differing <= bound.most_differing && mean <= bound.most_mean};
}

const PictureBound* FindPictureBound(std::string_view name) {
  for (const PictureBound& bound : kPictureBounds) {
    if (name == bound.name) return &bound;
  }
  return nullptr;
}
