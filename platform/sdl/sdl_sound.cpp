// Sound on SDL2: one clip at a time, played by SDL's audio thread from a buffer already in the device's format.
// A request stops what plays and starts its clip from the beginning; the looping variant repeats until the next
// request. The game's thread only hands the request to a loader thread and returns: the loader opens the device
// on the first request, reads and converts each clip once (kept by name while the file is unchanged), and takes
// the audio lock only to swap the buffer. No audio device (no driver, no hardware) leaves the game silent: the
// failure is remembered and never retried.
#include <SDL.h>
#include <sys/stat.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <memory>
#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/sdl/sdl_sound.h"

namespace {

using Clip = std::shared_ptr<const std::vector<Uint8>>;

struct CachedClip {
  int64_t size = -1;
  int64_t modified = 0;
  Clip samples;
};

struct SoundRequest {
  std::string file_name;
  bool stop = false;  // no file: just stop
  bool loop = false;
};

struct SdlSound {
  // Between the game's thread and the loader, under request_lock.
  std::mutex request_lock;
  std::condition_variable request_ready;
  bool has_request = false;
  bool quit = false;
  SoundRequest request;
  std::thread loader;
  std::atomic<bool> failed{false};
  // Loader thread only, from here on.
  bool tried = false;  // a device was asked for
  SDL_AudioDeviceID device = 0;
  SDL_AudioSpec audio_format = {};
  // Shared with the audio thread, under SDL_LockAudioDevice.
  Clip playing;
  size_t position = 0;
  bool loop = false;
  // Loader thread only.
  std::map<std::string, CachedClip> cache;
  Clip tone;
};

SdlSound s_sound;

// The format we ask for is the one the game's clips are made in, so they need no conversion; SDL converts to
// whatever the hardware wants on its own thread.
constexpr int kFrequency = 22050;
constexpr SDL_AudioFormat kFormat = AUDIO_S16SYS;
constexpr Uint8 kChannels = 1;
constexpr Uint16 kBufferFrames = 512;
// The stand-in for the system's default sound: a short two-note chime.
constexpr double kToneSeconds = 0.15;

void SDLCALL MixClip(void*, Uint8* stream, int length) {
  memset(stream, s_sound.audio_format.silence, static_cast<size_t>(length));
  const std::vector<Uint8>* clip = s_sound.playing.get();
  if (!clip || clip->empty()) return;
  size_t wanted = static_cast<size_t>(length);
  size_t written = 0;
  while (written < wanted) {
    if (s_sound.position >= clip->size()) {
      // The clip is left where it is: its buffer is freed only on the main thread.
      if (!s_sound.loop) return;
      s_sound.position = 0;
    }
    size_t take = clip->size() - s_sound.position;
    if (take > wanted - written) take = wanted - written;
    memcpy(stream + written, clip->data() + s_sound.position, take);
    written += take;
    s_sound.position += take;
  }
}

bool OpenDevice() {
  if (s_sound.tried) return !s_sound.failed;
  s_sound.tried = true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    s_sound.failed = true;
    return false;
  }
  SDL_AudioSpec want = {};
  want.freq = kFrequency;
  want.format = kFormat;
  want.channels = kChannels;
  want.samples = kBufferFrames;
  want.callback = MixClip;
  s_sound.device = SDL_OpenAudioDevice(nullptr, 0, &want, &s_sound.audio_format, 0);
  if (s_sound.device == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    s_sound.failed = true;
    return false;
  }
  SDL_PauseAudioDevice(s_sound.device, 0);
  return true;
}

// Converts samples in the given format to the device's; null when SDL cannot.
Clip ConvertToDevice(const Uint8* data, Uint32 length, SDL_AudioFormat format, Uint8 channels, int frequency) {
  SDL_AudioCVT cvt;
  int built = SDL_BuildAudioCVT(&cvt, format, channels, frequency, s_sound.audio_format.format, s_sound.audio_format.channels,
                                s_sound.audio_format.freq);
  if (built < 0) return nullptr;
  if (built == 0) return std::make_shared<const std::vector<Uint8>>(data, data + length);
  std::vector<Uint8> work(static_cast<size_t>(length) * static_cast<size_t>(cvt.len_mult));
  memcpy(work.data(), data, length);
  cvt.buf = work.data();
  cvt.len = static_cast<int>(length);
  if (SDL_ConvertAudio(&cvt) != 0) return nullptr;
  work.resize(static_cast<size_t>(cvt.len_cvt));
  // Keep whole sample frames only, so a loop never shifts its channels.
  size_t frame = static_cast<size_t>(SDL_AUDIO_BITSIZE(s_sound.audio_format.format) / 8) * s_sound.audio_format.channels;
  work.resize(work.size() - work.size() % frame);
  return std::make_shared<const std::vector<Uint8>>(std::move(work));
}

Clip LoadClip(const char* file_name) {
  SDL_AudioSpec audio_format;
  Uint8* data = nullptr;
  Uint32 length = 0;
  if (!SDL_LoadWAV(file_name, &audio_format, &data, &length)) return nullptr;
  Clip clip = ConvertToDevice(data, length, audio_format.format, audio_format.channels, audio_format.freq);
  SDL_FreeWAV(data);
  return clip;
}

// The named clip, from the cache while the file is unchanged.
Clip FindClip(const char* file_name) {
  struct stat info;
  if (stat(file_name, &info) != 0) return nullptr;
  CachedClip& cached = s_sound.cache[file_name];
  int64_t modified = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  if (!cached.samples || cached.size != static_cast<int64_t>(info.st_size) || cached.modified != modified) {
    cached.samples = LoadClip(file_name);
    cached.size = static_cast<int64_t>(info.st_size);
    cached.modified = modified;
  }
  return cached.samples;
}

Clip DefaultTone() {
  if (s_sound.tone) return s_sound.tone;
  int frames = static_cast<int>(kToneSeconds * kFrequency);
  std::vector<Sint16> samples(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) {
    double t = static_cast<double>(i) / kFrequency;
    double pitch = i < frames / 2 ? 880.0 : 660.0;
    double fade = 1.0 - static_cast<double>(i) / frames;
    samples[static_cast<size_t>(i)] = static_cast<Sint16>(8000.0 * fade * std::sin(2.0 * M_PI * pitch * t));
  }
  s_sound.tone = ConvertToDevice(reinterpret_cast<const Uint8*>(samples.data()),
                                 static_cast<Uint32>(samples.size() * sizeof(Sint16)), AUDIO_S16SYS, 1, kFrequency);
  return s_sound.tone;
}

void StartClip(Clip clip, bool loop) {
  SDL_LockAudioDevice(s_sound.device);
  s_sound.playing.swap(clip);
  s_sound.position = 0;
  s_sound.loop = loop;
  SDL_UnlockAudioDevice(s_sound.device);
  // The clip that was playing is released here, outside the lock.
}

void ServeRequest(const SoundRequest& request) {
  if (!OpenDevice()) return;
  if (request.stop) {
    StartClip(nullptr, false);
    return;
  }
  Clip clip = FindClip(request.file_name.c_str());
  bool found = clip != nullptr && !clip->empty();
  if (!found) clip = DefaultTone();
  StartClip(clip, found && request.loop);
}

// Serves the newest request; requests made while a clip loads replace each other, as they would replace the
// sound anyway.
void RunLoader() {
  for (;;) {
    SoundRequest request;
    {
      std::unique_lock<std::mutex> lock(s_sound.request_lock);
      s_sound.request_ready.wait(lock, [] { return s_sound.has_request || s_sound.quit; });
      if (s_sound.quit) return;
      request = std::move(s_sound.request);
      s_sound.has_request = false;
    }
    ServeRequest(request);
  }
}

}  // namespace

bool SdlPlaySound(const char* file_name, uint32_t flags) {
  if (s_sound.failed) return false;
  {
    std::lock_guard<std::mutex> lock(s_sound.request_lock);
    s_sound.request.file_name = file_name ? file_name : "";
    s_sound.request.stop = file_name == nullptr;
    s_sound.request.loop = (flags & kSndLoop) != 0;
    s_sound.has_request = true;
    if (!s_sound.loader.joinable()) {
      s_sound.loader = std::thread(RunLoader);
      // The loader is joined before the process ends (a running std::thread must not be destroyed), and the
      // device closed before SDL itself quits.
      static bool registered = false;
      if (!registered) atexit(SdlShutdownSound);
      registered = true;
    }
  }
  s_sound.request_ready.notify_one();
  return true;
}

void SdlShutdownSound() {
  if (s_sound.loader.joinable()) {
    {
      std::lock_guard<std::mutex> lock(s_sound.request_lock);
      s_sound.quit = true;
    }
    s_sound.request_ready.notify_one();
    s_sound.loader.join();
  }
  s_sound.quit = false;
  s_sound.has_request = false;
  if (s_sound.device != 0) {
    SDL_CloseAudioDevice(s_sound.device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  s_sound.device = 0;
  s_sound.tried = false;
  s_sound.failed = false;
  s_sound.playing.reset();
  s_sound.position = 0;
  s_sound.cache.clear();
  s_sound.tone.reset();
}
