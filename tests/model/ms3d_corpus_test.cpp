// The fuzzer's seed files: small valid models made by the test writer. Every committed seed must read; with
// GORVANE_WRITE_MS3D_CORPUS set, the seeds are written afresh into fuzz/corpus/ms3d first.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <string>

#include "model/model.h"
#include "model/ms3d.h"
#include "tests/model/ms3d_writer.h"
#include "tests/support/files.h"

namespace {

std::map<std::string, Ms3dFileRecord> Seeds() {
  std::map<std::string, Ms3dFileRecord> seeds;
  seeds["empty.ms3d"] = Ms3dFileRecord{};
  seeds["small-v4.ms3d"] = SmallMs3dModel();
  Ms3dFileRecord v3 = SmallMs3dModel();
  v3.version = 3;
  seeds["small-v3.ms3d"] = v3;
  Ms3dFileRecord trailing = SmallMs3dModel();
  trailing.trailing = std::string("\x01\x00\x00\x00", 4) + "comments and joints";
  seeds["trailing.ms3d"] = trailing;
  Ms3dFileRecord names = SmallMs3dModel();
  names.materials.resize(2);
  names.materials[1].texture_file = std::string(128, 't');
  names.groups[1].material_byte = 1;
  names.groups.push_back(Ms3dGroupRecord{});
  names.groups.back().material_byte = 0x80;
  seeds["full-texture-name.ms3d"] = names;
  Ms3dFileRecord shared = SmallMs3dModel();
  shared.groups[0].triangle_indices = {0, 1, 1, 0};
  shared.groups[1].triangle_indices = {};
  seeds["shared-triangles.ms3d"] = shared;
  return seeds;
}

TEST(Ms3dSeedCorpus, EverySeedReads) {
  const std::filesystem::path directory = std::filesystem::path(SourceDir()) / "fuzz" / "corpus" / "ms3d";
  if (getenv("GORVANE_WRITE_MS3D_CORPUS")) {
    std::filesystem::create_directories(directory);
    for (const auto& [name, layout] : Seeds()) std::ofstream(directory / name, std::ios::binary) << WriteMs3d(layout);
  }
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    std::ifstream in(entry.path(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Ms3dModel model;
    std::string why;
    EXPECT_TRUE(ParseMs3d(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &model, &why))
        << entry.path() << ": " << why;
    seeds++;
  }
  EXPECT_GE(seeds, static_cast<int>(Seeds().size()));
}

// A file longer than a pointer difference can measure (possible only on a 32-bit system) is refused before a
// byte is read; the size alone decides, so a short buffer stands in for it.
TEST(Ms3dSeedCorpus, DataBeyondAPointerDifferenceIsRefusedUnread) {
  const std::string bytes = WriteMs3d(SmallMs3dModel());
  Ms3dModel model;
  std::string why;
  EXPECT_FALSE(ParseMs3d(reinterpret_cast<const uint8_t*>(bytes.data()),
                         static_cast<size_t>(std::numeric_limits<ptrdiff_t>::max()) + 1, &model, &why));
  EXPECT_NE(why.find("too large"), std::string::npos) << why;
  EXPECT_EQ(model.vertex_count, 0);
}

}  // namespace
