// The SDL sound layer end to end: requests go through SDL's disk audio driver, which writes the mixed samples
// to a file in real time, and the file is checked sample by sample.
#include <SDL.h>
#include <fcntl.h>
#include <signal.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/os.h"
#include "platform/sdl/sdl_sound.h"
#include "tests/support/files.h"

namespace {

// The game's clips are 22050 Hz mono 16-bit, and so is the device the layer opens.
constexpr int kRate = 22050;

class SoundDir {
 public:
  SoundDir() {
    char pattern[] = "/tmp/gorvane-sound-XXXXXX";
    path_ = mkdtemp(pattern);
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
  }
  ~SoundDir() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(path_);
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
  std::filesystem::path previous_;
};

void Put32(std::string* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void Put16(std::string* out, uint16_t v) {
  out->push_back(static_cast<char>(v & 0xFF));
  out->push_back(static_cast<char>(v >> 8));
}

// A PCM WAV file written from the format's layout.
void WriteWav(const std::string& path, int rate, int channels, int bits, const std::string& samples) {
  std::string out = "RIFF";
  Put32(&out, static_cast<uint32_t>(36 + samples.size()));
  out += "WAVEfmt ";
  Put32(&out, 16);
  Put16(&out, 1);
  Put16(&out, static_cast<uint16_t>(channels));
  Put32(&out, static_cast<uint32_t>(rate));
  Put32(&out, static_cast<uint32_t>(rate * channels * bits / 8));
  Put16(&out, static_cast<uint16_t>(channels * bits / 8));
  Put16(&out, static_cast<uint16_t>(bits));
  out += "data";
  Put32(&out, static_cast<uint32_t>(samples.size()));
  out += samples;
  std::ofstream(path, std::ios::binary) << out;
}

void WriteMono16(const std::string& path, const std::vector<int16_t>& samples) {
  WriteWav(path, kRate, 1, 16,
           std::string(reinterpret_cast<const char*>(samples.data()), samples.size() * sizeof(int16_t)));
}

std::vector<int16_t> Ramp(int count, int first, int step) {
  std::vector<int16_t> samples(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) samples[static_cast<size_t>(i)] = static_cast<int16_t>(first + step * i);
  return samples;
}

// Runs the requests with the disk driver and returns what it wrote.
std::vector<int16_t> Record(const SoundDir& dir, const std::function<void()>& requests) {
  std::string out = dir.File("mixed.raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
  requests();
  SdlShutdownSound();
  std::ifstream in(out, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int16_t> samples(bytes.size() / 2);
  if (!samples.empty()) memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

// The samples the disk driver has written to the file so far.
std::vector<int16_t> Written(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int16_t> samples(bytes.size() / 2);
  if (!samples.empty()) memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

// How many times the clip has sounded whole in the file so far.
int WholeRuns(const std::vector<int16_t>& mixed, const std::vector<int16_t>& clip) {
  int runs = 0;
  for (size_t i = 0; i + clip.size() <= mixed.size(); ++i) {
    if (mixed[i] == clip[0] && std::equal(clip.begin(), clip.end(), mixed.begin() + static_cast<long>(i))) {
      ++runs;
      i += clip.size() - 1;
    }
  }
  return runs;
}

// Waits (10 s at most) until the clip has sounded whole `runs` times in the driver's file: the loader and the
// device work on threads of their own, which a busy machine may hold back for a while.
void WaitForWholeRuns(const std::string& path, const std::vector<int16_t>& clip, int runs) {
  for (int i = 0; i < 1000 && WholeRuns(Written(path), clip) < runs; ++i) SDL_Delay(10);
}

size_t FirstSound(const std::vector<int16_t>& mixed) {
  size_t i = 0;
  while (i < mixed.size() && mixed[i] == 0) ++i;
  return i;
}

// How many samples from at match clip from its start (wrapping round when looped).
size_t MatchingRun(const std::vector<int16_t>& mixed, size_t at, const std::vector<int16_t>& clip, bool looped) {
  size_t n = 0;
  while (at + n < mixed.size() && (looped || n < clip.size()) && mixed[at + n] == clip[n % clip.size()]) ++n;
  return n;
}

bool SilentFrom(const std::vector<int16_t>& mixed, size_t at) {
  for (size_t i = at; i < mixed.size(); ++i) {
    if (mixed[i] != 0) return false;
  }
  return true;
}

TEST(SdlSound, ARequestStopsThePlayingClipAndStartsItsOwnFromTheBeginning) {
  SoundDir dir;
  std::vector<int16_t> first = Ramp(kRate, 1000, 1);      // one second, all positive
  std::vector<int16_t> second = Ramp(kRate / 2, -1000, -1);  // half a second, all negative
  WriteMono16(dir.File("first.wav"), first);
  WriteMono16(dir.File("second.wav"), second);
  std::vector<int16_t> mixed = Record(dir, [] {
    EXPECT_TRUE(OsPlaySound("first.wav", kSndAsync));
    SDL_Delay(300);
    EXPECT_TRUE(OsPlaySound("second.wav", kSndAsync));
    SDL_Delay(800);
  });
  size_t start = FirstSound(mixed);
  size_t first_run = MatchingRun(mixed, start, first, false);
  EXPECT_GT(first_run, static_cast<size_t>(kRate / 10));
  EXPECT_LT(first_run, first.size()) << "the first clip was not stopped";
  EXPECT_EQ(MatchingRun(mixed, start + first_run, second, false), second.size());
  EXPECT_TRUE(SilentFrom(mixed, start + first_run + second.size()));
  EXPECT_GT(mixed.size(), start + first_run + second.size());
}

TEST(SdlSound, TheLoopRepeatsUntilTheNextRequest) {
  SoundDir dir;
  std::vector<int16_t> loop = Ramp(kRate / 10, 20000, 1);
  std::vector<int16_t> voice = Ramp(kRate / 4, -3000, -1);
  WriteMono16(dir.File("loop.wav"), loop);
  WriteMono16(dir.File("voice.wav"), voice);
  const std::string file = dir.File("mixed.raw");
  std::vector<int16_t> mixed = Record(dir, [&] {
    OsPlaySound("loop.wav", kSndAsync | kSndLoop);
    WaitForWholeRuns(file, loop, 3);
    OsPlaySound("voice.wav", kSndAsync);
    WaitForWholeRuns(file, voice, 1);
    // The same clip again, after it ended: it plays once more from the beginning.
    OsPlaySound("voice.wav", kSndAsync);
    WaitForWholeRuns(file, voice, 2);
  });
  size_t start = FirstSound(mixed);
  size_t looped = MatchingRun(mixed, start, loop, true);
  EXPECT_GE(looped, 3 * loop.size());
  size_t voice_at = start + looped;
  EXPECT_EQ(MatchingRun(mixed, voice_at, voice, false), voice.size());
  ASSERT_LE(voice_at + voice.size(), mixed.size());
  size_t again = FirstSound(std::vector<int16_t>(mixed.begin() + static_cast<long>(voice_at + voice.size()), mixed.end()));
  size_t again_at = voice_at + voice.size() + again;
  EXPECT_EQ(MatchingRun(mixed, again_at, voice, false), voice.size());
  EXPECT_TRUE(SilentFrom(mixed, again_at + voice.size()));
}

TEST(SdlSound, AMissingFilePlaysTheShortDefaultTone) {
  SoundDir dir;
  std::vector<int16_t> mixed = Record(dir, [] {
    OsPlaySound("missing.wav", kSndAsync | kSndLoop);
    SDL_Delay(600);
  });
  size_t start = FirstSound(mixed);
  ASSERT_LT(start, mixed.size()) << "nothing sounded";
  size_t last = mixed.size() - 1;
  while (mixed[last] == 0) --last;
  size_t length = last - start + 1;
  // About 0.15 s, once (a missing file does not loop), and a tone rather than a click.
  EXPECT_GT(length, static_cast<size_t>(kRate / 10));
  EXPECT_LT(length, static_cast<size_t>(kRate / 5));
  int crossings = 0;
  for (size_t i = start + 1; i <= last; ++i) crossings += (mixed[i - 1] < 0) != (mixed[i] < 0);
  EXPECT_GT(crossings, 150);
}

TEST(SdlSound, OtherPcmFormatsAreConvertedToTheDevice) {
  SoundDir dir;
  // 8-bit unsigned stereo at 11025 Hz, a fifth of a second of square wave.
  std::string samples;
  for (int i = 0; i < 11025 / 5; ++i) {
    char level = static_cast<char>((i / 10) % 2 ? 0xE0 : 0x20);
    samples += level;
    samples += level;
  }
  WriteWav(dir.File("eight.wav"), 11025, 2, 8, samples);
  const std::string file = dir.File("mixed.raw");
  std::vector<int16_t> mixed = Record(dir, [&] {
    EXPECT_TRUE(OsPlaySound("eight.wav", kSndAsync));
    // Until the clip and half a second after its start are in the driver's file (10 s at most).
    for (int i = 0; i < 1000; ++i) {
      std::vector<int16_t> written = Written(file);
      size_t start = FirstSound(written);
      if (start < written.size() && written.size() - start > static_cast<size_t>(kRate / 2)) break;
      SDL_Delay(10);
    }
  });
  size_t start = FirstSound(mixed);
  ASSERT_LT(start, mixed.size());
  size_t last = mixed.size() - 1;
  while (mixed[last] == 0) --last;
  double seconds = static_cast<double>(last - start + 1) / kRate;
  EXPECT_NEAR(seconds, 0.2, 0.02);
  int16_t loudest = 0;
  for (size_t i = start; i <= last; ++i) loudest = std::max<int16_t>(loudest, static_cast<int16_t>(std::abs(mixed[i])));
  EXPECT_GT(loudest, 10000);
}

TEST(SdlSound, NoAudioDeviceLeavesTheGameSilentAndRunning) {
  SoundDir dir;
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  std::vector<int16_t> clip = Ramp(100, 1, 1);
  WriteMono16(dir.File("clip.wav"), clip);
  // The first request is taken; once the loader has found no device, requests are refused without being queued.
  EXPECT_TRUE(OsPlaySound("clip.wav", kSndAsync));
  bool refused = false;
  for (int i = 0; i < 1000 && !refused; ++i) {
    SDL_Delay(10);
    refused = !OsPlaySound("clip.wav", kSndAsync);
  }
  EXPECT_TRUE(refused) << "the loader never gave up on the missing device";
  for (int i = 0; i < 100; ++i) EXPECT_FALSE(OsPlaySound("clip.wav", kSndAsync));
  SdlShutdownSound();
}

// The game never shuts the sound down itself: the process must still end with its own exit code.
TEST(SdlSound, TheProcessEndsCleanlyWithTheLoaderRunning) {
  SoundDir dir;
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  fflush(nullptr);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    OsPlaySound("missing.wav", kSndAsync | kSndLoop);
    SDL_Delay(100);
    std::exit(7);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "the process was killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 7);
}

// A request only hands the clip's name to the loader: it returns before the first request has opened the
// device and before the clip is read. The clip here is a named pipe, so reading it waits until the test writes
// it, which the test does only once the request has returned; a request that read the file itself would wait
// for a writer that waits for it, until the writer gives up and says so.
TEST(SdlSound, ARequestReturnsBeforeItsClipIsRead) {
  SoundDir dir;
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::string pipe = dir.File("slow.wav");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  std::vector<int16_t> clip = Ramp(kRate / 10, 1, 1);
  WriteMono16(dir.File("clip.wav"), clip);
  std::ifstream wav(dir.File("clip.wav"), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(wav)), std::istreambuf_iterator<char>());

  std::mutex lock;
  std::condition_variable changed;
  bool returned = false;
  bool gave_up = false;
  bool read = false;
  std::thread writer([&] {
    {
      std::unique_lock<std::mutex> held(lock);
      // Only a deadlock breaker: a correct request returns without waiting for this thread at all.
      gave_up = !changed.wait_for(held, std::chrono::seconds(60), [&] { return returned; });
    }
    // The loader opens the pipe to read it; the clip is written once it has.
    int fd = -1;
    for (int i = 0; i < 6000 && fd < 0; ++i) {
      fd = open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd < 0) SDL_Delay(10);
    }
    if (fd < 0) return;
    fcntl(fd, F_SETFL, 0);
    // The loader may give the pipe up as soon as it has opened it (it cannot seek in it); a write after that
    // fails with EPIPE, which is no fault of the request under test.
    ssize_t written = write(fd, bytes.data(), bytes.size());
    EXPECT_TRUE(written == static_cast<ssize_t>(bytes.size()) || (written < 0 && errno == EPIPE)) << errno;
    close(fd);
    read = true;
  });
  // A write to a pipe its reader has closed would otherwise end the whole test program.
  struct sigaction ignore = {}, previous = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &previous);
  bool accepted = OsPlaySound("slow.wav", kSndAsync);
  {
    std::lock_guard<std::mutex> held(lock);
    returned = true;
  }
  changed.notify_one();
  writer.join();
  SdlShutdownSound();
  sigaction(SIGPIPE, &previous, nullptr);
  EXPECT_TRUE(accepted);
  EXPECT_FALSE(gave_up) << "the request waited until its clip had been read";
  EXPECT_TRUE(read) << "the loader never read the clip";
}

// The game asks for its four clips again and again; every request is taken while the device works.
TEST(SdlSound, TheShippedClipsAreAccepted) {
  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(std::filesystem::path(SourceDir()) / "data");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  for (const char* name : {"plokhello.wav", "plokitsme.wav", "plokstart.wav", "track2.wav"}) {
    for (int i = 0; i < 3; ++i) {
      EXPECT_TRUE(OsPlaySound(name, name[0] == 't' ? kSndAsync | kSndLoop : kSndAsync)) << name;
    }
  }
  SdlShutdownSound();
  std::filesystem::current_path(previous);
}

}  // namespace
