// Fontconfig, which Qt loads to draw text, keeps its configuration until
// the process ends and never frees it, and so does libdbus, which Qt's X11
// platform connects to the session bus with; leak checking in sanitizer
// builds would otherwise report them for every test that shows a Qt window.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}
