// Linked into every test: libraries that keep caches until the process ends,
// which is no leak of ours: fontconfig (Qt's font database), and the audio
// stack a sound test touches (ALSA's configuration, SDL's and FluidSynth's
// driver probing).
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libasound.so\n"
         "leak:libSDL2\n"
         "leak:libfluidsynth.so\n";
}
