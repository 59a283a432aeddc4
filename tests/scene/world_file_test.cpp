// The world file as a level maker writes it: the reading rules, and what the loader does with files that are
// short, broken or hostile.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "scene/world.h"
#include "scene/world_array.h"
#include "scene/world_reader.h"
#include "tests/support/game_test.h"

namespace {

using WorldReadingRules = GameTest;
using WorldOpenChoices = GameTest;
using WorldNumbers = GameTest;
using WorldLineReader = GameTest;

const char* kCorner = "1 2 3 0.5 1e1\n";

// The loader reads malformed numbers ("1.5e", "0x.", "-nan", "nan(12)") as glibc's "%f" does. Another C library
// (musl, in the browser build run under node) has rules of its own for them: there the lines of random numbers are
// compared where it reads them whole, and the malformed ones not at all.
#ifdef __GLIBC__
constexpr bool kLibraryIsGlibc = true;
#else
constexpr bool kLibraryIsGlibc = false;
#endif

// A parsed world that frees itself.
struct Parsed {
  World world = {};
  std::vector<WorldIssue> issues;
  bool whole = false;
  explicit Parsed(const std::string& text) { whole = ParseWorld(text.data(), text.size(), &world, &issues); }
  ~Parsed() { ReleaseWorld(&world); }
  int32_t count() const { return world.triangle_count; }
  const WorldTriangle& operator[](int i) const { return world.triangles[i]; }
};

std::string Triangle(const std::string& slot, const std::string& corner = kCorner) {
  return slot + "\n" + corner + corner + corner;
}

TEST_F(WorldReadingRules, HeaderWithOrWithoutSpaceAndCommentsBeforeIt) {
  Parsed spaced("// level one\n\nNUMPOLLIES 1\n" + Triangle("0"));
  EXPECT_TRUE(spaced.whole);
  EXPECT_EQ(spaced.count(), 1);
  Parsed tight("NUMPOLLIES1\n" + Triangle("0"));
  EXPECT_EQ(tight.count(), 1);
  Parsed tabs("NUMPOLLIES\t\t +1 trailing words\n" + Triangle("0"));
  EXPECT_EQ(tabs.count(), 1);
  // The word is matched exactly, in upper case, from the first character.
  Parsed lower("numpollies 1\n" + Triangle("0"));
  EXPECT_EQ(lower.count(), 0);
  Parsed indented(" NUMPOLLIES 1\n" + Triangle("0"));
  EXPECT_EQ(indented.count(), 0);
  ASSERT_EQ(indented.issues.size(), 1u);
  EXPECT_EQ(indented.issues[0].line, 1);
}

TEST_F(WorldReadingRules, SlotsReadAsScanfIDoes) {
  Parsed slots("NUMPOLLIES 6\n" + Triangle("010") + Triangle("0x0A") + Triangle("0XF") + Triangle("3 the door") +
               Triangle("+2") + Triangle("  7"));
  ASSERT_EQ(slots.count(), 6);
  EXPECT_EQ(slots[0].texture_slot, 8);
  EXPECT_EQ(slots[1].texture_slot, 10);
  EXPECT_EQ(slots[2].texture_slot, 15);
  EXPECT_EQ(slots[3].texture_slot, 3);
  EXPECT_EQ(slots[4].texture_slot, 2);
  EXPECT_EQ(slots[5].texture_slot, 7);
  // "08" is octal 0 followed by a stray 8.
  Parsed octal("NUMPOLLIES 1\n" + Triangle("08"));
  ASSERT_EQ(octal.count(), 1);
  EXPECT_EQ(octal[0].texture_slot, 0);
}

TEST_F(WorldReadingRules, CommentsAndBlankLinesBetweenCornerLinesAreSkipped) {
  std::string text = "NUMPOLLIES 1\n4\n// first corner\n0 0 0 0 0\n\n\n1 0 0 1 0\n/ last\n0 1 0 0 1\n";
  Parsed parsed(text);
  ASSERT_EQ(parsed.count(), 1);
  EXPECT_EQ(parsed[0].texture_slot, 4);
  EXPECT_EQ(parsed[0].vertices[1].x, 1.0f);
  EXPECT_EQ(parsed[0].vertices[2].v, 1.0f);
}

TEST_F(WorldReadingRules, OnlyTheFirstCharacterMakesAComment) {
  // "  //" is not a comment: it is read as the slot line and holds no number, so loading stops there.
  Parsed parsed("NUMPOLLIES 2\n" + Triangle("1") + "  // second\n" + Triangle("2"));
  EXPECT_EQ(parsed.count(), 1);
  EXPECT_FALSE(parsed.whole);
  ASSERT_EQ(parsed.issues.size(), 1u);
  EXPECT_EQ(parsed.issues[0].line, 6);
  // A line of spaces is not blank either.
  Parsed spaces("NUMPOLLIES 1\n   \n" + Triangle("1"));
  EXPECT_EQ(spaces.count(), 0);
}

TEST_F(WorldReadingRules, CrLfFilesReadTheSameAsLfFiles) {
  std::string lf = "// plan\nNUMPOLLIES 2\n\n" + Triangle("3") + "\n" + Triangle("0x0B", "-1.5 2.25 -3e-1 0.125 7\n");
  std::string crlf;
  for (char c : lf) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  Parsed a(lf);
  Parsed b(crlf);
  ASSERT_EQ(a.count(), 2);
  EXPECT_TRUE(b.whole);
  ASSERT_EQ(b.count(), 2);
  EXPECT_EQ(memcmp(a.world.triangles, b.world.triangles, 2 * sizeof(WorldTriangle)), 0);
}

TEST_F(WorldReadingRules, CornerNumbersSignsFractionsExponentsAndExtras) {
  Parsed parsed("NUMPOLLIES 1\n0\n1 2 3 0.5 1e1\n-4.25 +5 .5 6. 2.5E-2 99 100\n1-2-3-4-5\n");
  ASSERT_EQ(parsed.count(), 1);
  const WorldVertex* v = parsed[0].vertices;
  EXPECT_EQ(v[0].x, 1.0f);
  EXPECT_EQ(v[0].y, 2.0f);
  EXPECT_EQ(v[0].z, 3.0f);
  EXPECT_EQ(v[0].u, 0.5f);
  EXPECT_EQ(v[0].v, 10.0f);
  EXPECT_EQ(v[1].x, -4.25f);
  EXPECT_EQ(v[1].y, 5.0f);
  EXPECT_EQ(v[1].z, 0.5f);
  EXPECT_EQ(v[1].u, 6.0f);
  EXPECT_EQ(v[1].v, 0.025f);
  // Signs separate numbers without white space, as the library's reader takes them.
  EXPECT_EQ(v[2].y, -2.0f);
  EXPECT_EQ(v[2].v, -5.0f);
}

TEST_F(WorldReadingRules, LongLinesCountAsSeveral) {
  // 254 characters fill one piece; the rest of the line is a piece of its own.
  std::string pad(254 - 9, ' ');
  std::string corner = "0 0 0 0 0" + pad + "1 1 1 1 1\n";
  ASSERT_EQ(corner.size(), 255u + 9u);
  Parsed parsed("NUMPOLLIES 1\n0\n" + corner + "2 2 2 2 2\n");
  ASSERT_EQ(parsed.count(), 1);
  EXPECT_EQ(parsed[0].vertices[0].x, 0.0f);
  EXPECT_EQ(parsed[0].vertices[1].x, 1.0f);
  EXPECT_EQ(parsed[0].vertices[2].x, 2.0f);
  // A piece of exactly 253 characters and its line feed is one piece; CR LF does not count the CR.
  std::string full = "0 0 0 0 0" + std::string(244, ' ');
  Parsed exact("NUMPOLLIES 1\n0\n" + full + "\n" + full + "\r\n" + full + "\n");
  EXPECT_TRUE(exact.whole);
  EXPECT_EQ(exact.count(), 1);
  // A continuation piece that begins with "/" is skipped like any comment.
  Parsed remark("NUMPOLLIES 1\n0\n0 0 0 0 0" + pad + "// remark\n" + kCorner + kCorner);
  EXPECT_TRUE(remark.whole);
  EXPECT_EQ(remark.count(), 1);
}

TEST_F(WorldReadingRules, LoadWorldReadsWorldDatAndReplacesTheLastLoad) {
  ScopedWorkingDirectory dir;
  dir.Write("world.dat", "NUMPOLLIES 2\n" + Triangle("1") + Triangle("2"));
  LoadWorld();
  ASSERT_EQ(g_game.world.triangle_count, 2);
  EXPECT_EQ(g_game.world.triangles[1].texture_slot, 2);
  uint64_t generation = WorldGeneration();
  dir.Write("world.dat", "NUMPOLLIES 1\n" + Triangle("5"));
  LoadWorld();
  ASSERT_EQ(g_game.world.triangle_count, 1);
  EXPECT_EQ(g_game.world.triangles[0].texture_slot, 5);
  EXPECT_GT(WorldGeneration(), generation);
}

TEST_F(WorldReadingRules, AFileStreamedFromDiskReadsTheSameAsFromMemory) {
  // Several megabytes, so pieces cross the loader's read window: CR LF and LF lines, remarks, long lines.
  std::mt19937 random(5);
  std::string text = "NUMPOLLIES 40000\r\n";
  for (int i = 0; i < 40000; ++i) {
    const char* end = i % 3 ? "\n" : "\r\n";
    if (i % 7 == 0) text += "// remark " + std::string(random() % 240, 'r') + end;
    text += std::to_string(random() % 16) + end;
    for (int corner = 0; corner < 3; ++corner) {
      std::string line;
      for (int n = 0; n < 5; ++n) line += std::to_string(static_cast<int>(random() % 20001) - 10000) + ".25 ";
      // Padding up to the piece's limit, and now and then a line that goes on past it as a remark.
      if (i % 11 == 0) line += std::string(random() % (254 - line.size()), ' ');
      if (i % 13 == 0) line += std::string(254 - line.size(), ' ') + "// the rest of a long line";
      text += line + end;
    }
  }
  ScopedWorkingDirectory dir;
  dir.Write("world.dat", text);
  LoadWorld();
  Parsed parsed(text);
  ASSERT_GT(parsed.count(), 0);
  ASSERT_EQ(g_game.world.triangle_count, parsed.count());
  EXPECT_EQ(memcmp(g_game.world.triangles, parsed.world.triangles, sizeof(WorldTriangle) * parsed.count()), 0);
}

TEST_F(WorldOpenChoices, MissingEmptyOrUnparsableFilesGiveAnEmptyWorld) {
  ScopedWorkingDirectory dir;
  dir.Write("world.dat", "NUMPOLLIES 1\n" + Triangle("1"));
  LoadWorld();
  ASSERT_EQ(g_game.world.triangle_count, 1);
  std::remove("world.dat");
  LoadWorld();
  EXPECT_EQ(g_game.world.triangle_count, 0);
  EXPECT_EQ(g_game.world.triangles, nullptr);
  for (const char* text : {"", "// only a remark\n\n", "POLLIES 3\n", "NUMPOLLIES\n3\n", "NUMPOLLIES -2\n",
                           "NUMPOLLIES 99999999999\n", "NUMPOLLIES 0\n"}) {
    dir.Write("world.dat", text);
    LoadWorld();
    EXPECT_EQ(g_game.world.triangle_count, 0) << text;
    EXPECT_EQ(g_game.world.triangles, nullptr) << text;
  }
  Parsed zero("NUMPOLLIES 0\n");
  EXPECT_TRUE(zero.whole);
  Parsed negative("NUMPOLLIES -2\n");
  EXPECT_FALSE(negative.whole);
}

TEST_F(WorldOpenChoices, ATruncatedFileKeepsTheTrianglesReadCompletely) {
  std::string two = "NUMPOLLIES 5\n" + Triangle("1") + Triangle("2");
  for (const std::string& cut : {two, two + "3\n", two + "3\n1 2 3 4 5\n", two + "3\n1 2 3 4\n", two + "3\n1 2 3"}) {
    Parsed parsed(cut);
    EXPECT_EQ(parsed.count(), 2);
    EXPECT_FALSE(parsed.whole);
    ASSERT_EQ(parsed.issues.size(), 1u);
  }
  // A corner line without its last number stops loading at that line; the file has no more to wait for.
  Parsed short_corner("NUMPOLLIES 2\n" + Triangle("1") + "2\n1 2 3 4 5\n1 2 3 4\n1 2 3 4 5\n");
  EXPECT_EQ(short_corner.count(), 1);
  ASSERT_EQ(short_corner.issues.size(), 1u);
  EXPECT_EQ(short_corner.issues[0].line, 8);
  // A comment as the last line does not make the reader wait for ever.
  Parsed comment_at_end("NUMPOLLIES 2\n" + Triangle("1") + "// to be continued");
  EXPECT_EQ(comment_at_end.count(), 1);
}

TEST_F(WorldOpenChoices, AHugeCountAllocatesOnlyWhatTheFileHolds) {
  Parsed parsed("NUMPOLLIES 2147483647\n" + Triangle("1") + Triangle("2"));
  EXPECT_EQ(parsed.count(), 2);
  EXPECT_FALSE(parsed.whole);
  ASSERT_EQ(parsed.issues.size(), 1u);
  EXPECT_NE(parsed.issues[0].reason.find("2 of 2147483647"), std::string::npos);
}

TEST_F(WorldOpenChoices, SlotsOutsideTheTableAreLeftOut) {
  Parsed parsed("NUMPOLLIES 5\n" + Triangle("1") + Triangle("16") + Triangle("-1") + Triangle("0x7fffffffff") +
                Triangle("15"));
  ASSERT_EQ(parsed.count(), 2);
  EXPECT_EQ(parsed[0].texture_slot, 1);
  EXPECT_EQ(parsed[1].texture_slot, 15);
  ASSERT_EQ(parsed.issues.size(), 3u);
  EXPECT_EQ(parsed.issues[0].line, 6);
  EXPECT_EQ(parsed.issues[1].line, 10);
  EXPECT_EQ(parsed.issues[2].line, 14);
}

TEST_F(WorldOpenChoices, LinesAfterTheLastTriangleAreReportedUnread) {
  Parsed parsed("NUMPOLLIES 1\n" + Triangle("1") + "// more\n" + Triangle("2"));
  EXPECT_EQ(parsed.count(), 1);
  EXPECT_FALSE(parsed.whole);
  ASSERT_EQ(parsed.issues.size(), 1u);
  EXPECT_EQ(parsed.issues[0].line, 7);
}

// Our own number reader must give the very float the library does, for the short decimals levels are made
// of and for everything else it hands over.
TEST_F(WorldNumbers, BitIdenticalToStrtof) {
  std::mt19937 random(42);
  std::vector<std::string> numbers = {"0",      "-0",          "0.1",         "1e-10",     "3.4028235e38", "1e39",
                                      "-1e39",  "1e-46",       "1.17549435e-38", "123456789", "16777217",
                                      "0.30000001", "9.999999999", "7e10",     "7e11",      "1e-11",
                                      "000000000000000000000012.5", "0.000000000000000000001234", "inf", "-nan",
                                      "0x1p3", "12345678901234567890123", "1.5e+3", "2.5E-2",
                                      // Just above a halfway point between two floats, nearest to it as a double:
                                      // rounded twice (to double, then to float) it would come out below.
                                      "1.00000005960464477550"};
  std::uniform_int_distribution<int> digits(1, 9);
  std::uniform_int_distribution<int> point(0, 9);
  std::uniform_int_distribution<int> exponent(-14, 14);
  std::uniform_int_distribution<int> coin(0, 3);
  for (int i = 0; i < 20000; ++i) {
    std::string n = coin(random) == 0 ? "-" : "";
    int count = digits(random);
    for (int d = 0; d < count; ++d) n += static_cast<char>('0' + point(random));
    if (coin(random)) n.insert(n.size() - static_cast<size_t>(point(random) % count), 1, '.');
    if (coin(random) == 0) {
      n += 'e';
      n += std::to_string(exponent(random));
    }
    numbers.push_back(n);
  }
  std::string text = "NUMPOLLIES " + std::to_string(numbers.size()) + "\n";
  for (const std::string& n : numbers) text += "0\n" + n + " 0 0 0 0\n0 0 0 0 0\n0 0 0 0 0\n";
  Parsed parsed(text);
  ASSERT_EQ(parsed.count(), static_cast<int32_t>(numbers.size()));
  for (size_t i = 0; i < numbers.size(); ++i) {
    float expected = strtof(numbers[i].c_str(), nullptr);
    float got = parsed[static_cast<int>(i)].vertices[0].x;
    if (std::isnan(expected)) {
      EXPECT_TRUE(std::isnan(got)) << numbers[i];
    } else {
      EXPECT_EQ(memcmp(&expected, &got, sizeof(float)), 0) << numbers[i] << " read " << got << " not " << expected;
    }
  }
}

// Corner lines written every way a level maker or a tool might write them, read by the loader and by the
// library's own line and number readers: the loader's quick readers of common lines must never give a
// different triangle than the plain reading does.
TEST_F(WorldNumbers, EveryWayOfWritingALineReadsAsTheLibraryReadsIt) {
  std::mt19937 random(7);
  auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  auto number = [&]() {
    static const char* kOdd[] = {"0",   "-0",     "+7",      "5.",      ".5",       "-.25",    "007.50",
                                 "1e3", "2.5E-2", "1234567", "16777217", "12345.678", "-9999999", "0.0000001",
                                 "3.4e38", "1e-45", "99999999", "-1234.5678",
                                 "0.000000000000000000000000000000000000000000000000000000125",
                                 // What the library's conversion also takes: a dangling exponent marker, hexadecimal,
                                 // infinities and NaNs, and two numbers written without a gap.
                                 "1.5e", "2.5E+", "7e-", "0x1p3", "0x.8", "-0X1P-2", "0x1p", "0x.", "inf", "-INF",
                                 "infinity", "NaN", "+nan", "5.5.5", "1-2"};
    if (pick(5) == 0) return std::string(kOdd[pick(34)]);
    std::string digits = std::to_string(pick(2000000)) ;
    int point = pick(static_cast<int>(digits.size()) + 1);
    std::string n = (pick(2) ? "-" : "") + digits.substr(0, point) + (point < static_cast<int>(digits.size()) ? "." : "") +
                    digits.substr(point);
    return n == "-" || n.empty() ? std::string("1") : n;
  };
  auto gap = [&]() {
    static const char* kGaps[] = {" ", " ", " ", " ", " ", " ", " ", " ", " ", " ", "  ", "\t", " \t ", "\v"};
    return std::string(kGaps[pick(14)]);
  };
  std::string text = "NUMPOLLIES 3000\n";
  for (int i = 0; i < 3000; ++i) {
    static const char* kSlots[] = {"0", "7", "15", "010", "0xf", "+3", " 4", "12 extra"};
    const char* end = pick(4) ? "\n" : "\r\n";
    text += std::string(kSlots[pick(8)]) + end;
    for (int corner = 0; corner < 3; ++corner) {
      std::string line = pick(10) ? "" : gap();
      for (int n = 0; n < 5; ++n) line += (n ? gap() : "") + number();
      int tail = pick(8);
      if (tail == 0) line += " 42 43";
      if (tail == 1) line += "   ";
      if (tail == 2) line += "; junk";
      if (tail == 3) line += std::string(static_cast<size_t>(pick(60)), '7');
      text += line + end;
    }
  }
  Parsed parsed(text);

  ScopedWorkingDirectory dir;
  dir.Write("world.dat", text);
  FILE* file = fopen("world.dat", "rb");
  ASSERT_NE(file, nullptr);
  char line[256];
  int count = 0;
  ReadWorldLine(file, line);
  ASSERT_EQ(sscanf(line, "NUMPOLLIES %d", &count), 1);
  ASSERT_EQ(parsed.count(), count);
  for (int i = 0; i < count; ++i) {
    int slot = -1;
    ReadWorldLine(file, line);
    ASSERT_EQ(sscanf(line, "%i", &slot), 1) << line;
    EXPECT_EQ(parsed[i].texture_slot, slot) << "triangle " << i << ": " << line;
    for (int corner = 0; corner < 3; ++corner) {
      float f[5];
      ReadWorldLine(file, line);
      int read = sscanf(line, "%f %f %f %f %f", &f[0], &f[1], &f[2], &f[3], &f[4]);
      if (!kLibraryIsGlibc && read != 5) continue;
      ASSERT_EQ(read, 5) << line;
      const WorldVertex& v = parsed[i].vertices[corner];
      float got[5] = {v.x, v.y, v.z, v.u, v.v};
      EXPECT_EQ(memcmp(got, f, sizeof(f)), 0) << "triangle " << i << " corner " << corner << ": " << line;
    }
  }
  fclose(file);
}

// Malformed numbers anywhere on a corner line: where the library's "%f" conversion still reads five numbers, the
// loader reads the same five; where it stops short, the loader stops at that line.
TEST_F(WorldNumbers, MalformedNumbersReadAsTheLibraryReadsThem) {
  if (!kLibraryIsGlibc) GTEST_SKIP() << "this C library reads malformed numbers by rules other than glibc's";
  const char* kTokens[] = {"1.5e",  "1.5e+", "1.5E-",   "1.5e+x", "-",     "+",     ".",      "+.",   "-.",   ".e1",
                           "e5",    "in",    "infin",   "infinit", "inf",  "INFINITY", "infinityx", "n",  "i",
                           "nan",   "nanx",  "nan(12)", "nan(",   "-nan",  "0x",    "-0x",    "0xp3", "0xg",  "0x.",
                           "0x.p1", "0x1p",  "0X1P+",   "0x1.8p1", "0x1g", "00x1",  "1e5x",   "5e-3e2", "1ee5",
                           "1.5.5", "1-2",   "+-1",     "--1",    "1e+-2", "1.e5",  "0.e",    "1e99",   "-1e-99", "1,5",
                           "3e2e",  "0x.p",  "0x.8p"};
  for (const char* token : kTokens) {
    for (int position = 0; position < 5; ++position) {
      std::string corner;
      for (int n = 0; n < 5; ++n) {
        if (n) corner += ' ';
        corner += n == position ? std::string(token) : std::to_string(n + 1);
      }
      corner += "\n";
      std::string trace = "corner line \"";
      trace.append(corner, 0, corner.size() - 1);
      trace += '"';
      SCOPED_TRACE(trace);
      Parsed parsed("NUMPOLLIES 1\n0\n" + corner + kCorner + kCorner);
      float f[5];
      int read = sscanf(corner.c_str(), "%f %f %f %f %f", &f[0], &f[1], &f[2], &f[3], &f[4]);
      if (read != 5) {
        EXPECT_EQ(parsed.count(), 0) << "the library reads " << read << " numbers";
        continue;
      }
      ASSERT_EQ(parsed.count(), 1);
      const WorldVertex& v = parsed[0].vertices[0];
      float got[5] = {v.x, v.y, v.z, v.u, v.v};
      EXPECT_EQ(memcmp(got, f, sizeof(f)), 0) << got[0] << " " << got[1] << " " << got[2] << " " << got[3] << " "
                                              << got[4] << " where the library reads " << f[0] << " " << f[1] << " "
                                              << f[2] << " " << f[3] << " " << f[4];
    }
  }
}

// A level may announce any count; the array made for it must fit the address space, which a 32-bit build runs
// out of long before the count's 32 bits do (a 2 GiB file announcing 2^26 triangles once asked for 2^32 + 64
// bytes, which wrapped to 64).
TEST(WorldArray, CapacitiesFitTheAddressSpace) {
  auto fits = [](int64_t capacity) {
    return static_cast<uint64_t>(capacity) * sizeof(WorldTriangle) <=
           static_cast<uint64_t>(std::numeric_limits<ptrdiff_t>::max());
  };
  const size_t sizes[] = {4096, (size_t{1} << 31) + 4096, std::numeric_limits<size_t>::max()};
  const int64_t counts[] = {100, int64_t{1} << 26, std::numeric_limits<int32_t>::max()};
  for (size_t size : sizes) {
    for (int64_t count : counts) {
      int64_t capacity = FirstTriangleCapacity(count, size);
      EXPECT_TRUE(fits(capacity)) << count << " triangles in a file of " << size << " bytes";
      EXPECT_GE(capacity, 1);
      EXPECT_LE(capacity, count);
    }
  }
  EXPECT_EQ(FirstTriangleCapacity(1000, 320), 11) << "a triangle takes at least 32 characters";
  EXPECT_EQ(FirstTriangleCapacity(0, 4096), 0);
  // Growing doubles while the array fits, and then stops.
  int64_t capacity = 0;
  for (int64_t grown; (grown = GrownTriangleCapacity(capacity)) != 0; capacity = grown) {
    EXPECT_GT(grown, capacity);
    EXPECT_TRUE(fits(grown)) << grown;
  }
  EXPECT_EQ(capacity, MostTriangles());
}

// Text longer than a pointer difference can measure (possible only on a 32-bit system) is refused before a
// character is read; the size alone decides, so a short buffer stands in for it.
TEST(WorldArray, TextBeyondAPointerDifferenceIsRefusedUnread) {
  const char text[] = "NUMPOLLIES 1\n";
  World world = {};
  std::vector<WorldIssue> issues;
  EXPECT_FALSE(ParseWorld(text, static_cast<size_t>(std::numeric_limits<ptrdiff_t>::max()) + 1, &world, &issues));
  EXPECT_EQ(world.triangle_count, 0);
  ASSERT_EQ(issues.size(), 1u);
  EXPECT_NE(issues[0].reason.find("too large"), std::string::npos) << issues[0].reason;
}

TEST_F(WorldLineReader, SkipsCommentsAndBlanksDropsCrAndStopsAtTheEnd) {
  ScopedWorkingDirectory dir;
  std::string long_line(300, 'a');
  dir.Write("lines.txt", "/ remark\r\n\r\n\nNUMPOLLIES 3\r\n  // kept\n" + long_line + "\n/ last");
  FILE* file = fopen("lines.txt", "rt");
  ASSERT_NE(file, nullptr);
  char line[256];
  ReadWorldLine(file, line);
  EXPECT_STREQ(line, "NUMPOLLIES 3\n");
  ReadWorldLine(file, line);
  EXPECT_STREQ(line, "  // kept\n");
  ReadWorldLine(file, line);
  EXPECT_EQ(strlen(line), 254u);
  ReadWorldLine(file, line);
  EXPECT_EQ(std::string(line), std::string(46, 'a') + "\n");
  ReadWorldLine(file, line);
  EXPECT_STREQ(line, "");
  ReadWorldLine(file, line);
  EXPECT_STREQ(line, "");
  fclose(file);
}

}  // namespace
