// The sound player: one sound at a time, asynchronously; a new sound stops
// the one before. WAV files are decoded and played by SDL, MIDI files by
// FluidSynth with a General MIDI sound font. Qt Multimedia is not used: its
// sound effect hangs the program on a file that does not decode, and its
// media player crashes where GStreamer lacks plugins. Without a sound
// device, or with a file that does not decode, nothing plays and nothing is
// reported: a chat full of sound requests must not become a storm of
// message boxes.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

namespace novalune::ui {

class MidiSynth;
class WaveOutput;

class SoundPlayer : public QObject {
  Q_OBJECT

 public:
  explicit SoundPlayer(QObject* parent = nullptr);
  ~SoundPlayer() override;

  // Plays the file at `path` (a local path) if it exists.
  void Play(const QString& path);
  void Stop();

  // What the last Play started: a WAV, a MIDI file, or nothing.
  enum class Kind { kNone, kWave, kMidi };
  Kind LastKind() const { return lastKind_; }
  const QString& LastPath() const { return lastPath_; }

 private:
  std::unique_ptr<WaveOutput> wave_;
  std::unique_ptr<MidiSynth> midi_;
  Kind lastKind_ = Kind::kNone;
  QString lastPath_;
};

// True for the names the MIDI synthesiser plays (".mid", ".midi", ".rmi", any case).
bool IsMidiFile(const QString& path);

}  // namespace novalune::ui
