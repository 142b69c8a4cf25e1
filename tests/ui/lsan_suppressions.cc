// Fontconfig, which Qt loads to draw text, keeps its configuration until
// the process ends and never frees it; leak checking in sanitizer builds
// would otherwise report it for every test that shows a Qt window.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
