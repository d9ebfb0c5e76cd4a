// Linked into every test: Qt's font database keeps fontconfig's caches until
// the process ends; that is no leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
