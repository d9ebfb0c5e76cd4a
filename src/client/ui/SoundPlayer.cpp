#include "client/ui/SoundPlayer.h"

#include <SDL.h>
#include <fluidsynth.h>

#include <QFile>
#include <QFileInfo>
#include <array>

namespace novalune::ui {

namespace {

// General MIDI sound fonts of Debian, the fullest first.
constexpr std::array<const char*, 3> kSoundFonts = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
};

// A chat sound is short: a larger file is not loaded into memory whole.
constexpr qint64 kMaxSoundBytes = 64 << 20;

}  // namespace

// SDL's audio output for one decoded WAV at a time.
class WaveOutput {
 public:
  WaveOutput() : ready_(SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {}
  ~WaveOutput() {
    Stop();
    if (ready_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  WaveOutput(const WaveOutput&) = delete;
  WaveOutput& operator=(const WaveOutput&) = delete;

  void Play(const QByteArray& path) {
    Stop();
    if (!ready_) return;
    SDL_AudioSpec format{};
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(path.constData(), &format, &samples, &length)) return;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &format, nullptr, 0);
    if (device_ != 0) {
      SDL_QueueAudio(device_, samples, length);
      SDL_PauseAudioDevice(device_, 0);
    }
    SDL_FreeWAV(samples);
  }

  void Stop() {
    if (device_ == 0) return;
    SDL_CloseAudioDevice(device_);
    device_ = 0;
  }

 private:
  bool ready_;
  SDL_AudioDeviceID device_ = 0;
};

// FluidSynth's synthesiser and audio output, made at the first MIDI sound;
// the player of one file lives from its start to the next Stop.
class MidiSynth {
 public:
  MidiSynth() {
    // No device on a headless machine is not worth a line on stderr per sound.
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
      fluid_set_log_function(level, nullptr, nullptr);
    settings_ = new_fluid_settings();
    if (!settings_) return;
    synth_ = new_fluid_synth(settings_);
    if (!synth_) return;
    bool loaded = false;
    for (const char* font : kSoundFonts) {
      if (QFileInfo::exists(QString::fromLatin1(font)) &&
          fluid_synth_sfload(synth_, font, 1) != FLUID_FAILED) {
        loaded = true;
        break;
      }
    }
    if (loaded) driver_ = new_fluid_audio_driver(settings_, synth_);
  }
  ~MidiSynth() {
    Stop();
    if (driver_) delete_fluid_audio_driver(driver_);
    if (synth_) delete_fluid_synth(synth_);
    if (settings_) delete_fluid_settings(settings_);
  }
  MidiSynth(const MidiSynth&) = delete;
  MidiSynth& operator=(const MidiSynth&) = delete;

  void Play(const QByteArray& path) {
    Stop();
    if (!driver_) return;
    player_ = new_fluid_player(synth_);
    if (!player_) return;
    if (fluid_player_add(player_, path.constData()) != FLUID_OK || fluid_player_play(player_) != FLUID_OK)
      Stop();
  }

  void Stop() {
    if (!player_) return;
    fluid_player_stop(player_);
    fluid_player_join(player_);
    delete_fluid_player(player_);
    player_ = nullptr;
    fluid_synth_all_sounds_off(synth_, -1);
  }

 private:
  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  fluid_audio_driver_t* driver_ = nullptr;
  fluid_player_t* player_ = nullptr;
};

bool IsMidiFile(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  return suffix == QLatin1String("mid") || suffix == QLatin1String("midi") || suffix == QLatin1String("rmi");
}

SoundPlayer::SoundPlayer(QObject* parent) : QObject(parent) {}

SoundPlayer::~SoundPlayer() = default;

void SoundPlayer::Play(const QString& path) {
  Stop();
  lastKind_ = Kind::kNone;
  lastPath_.clear();
  const QFileInfo file(path);
  if (path.isEmpty() || !file.isFile() || file.size() > kMaxSoundBytes) return;
  lastPath_ = path;
  if (IsMidiFile(path)) {
    if (!midi_) midi_ = std::make_unique<MidiSynth>();
    midi_->Play(QFile::encodeName(path));
    lastKind_ = Kind::kMidi;
    return;
  }
  if (!wave_) wave_ = std::make_unique<WaveOutput>();
  wave_->Play(QFile::encodeName(path));
  lastKind_ = Kind::kWave;
}

void SoundPlayer::Stop() {
  if (wave_) wave_->Stop();
  if (midi_) midi_->Stop();
}

}  // namespace novalune::ui
