// XScreen: a connection of its own to the X server the tests run on, to
// look at what the server shows (pixels, window properties) independently
// of the Qt thread that paints, which may be busy.
#ifndef ORVEX_TESTS_UI_X_SCREEN_H_
#define ORVEX_TESTS_UI_X_SCREEN_H_

#include <xcb/xcb.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orvex::testing {

class XScreen {
 public:
  struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
  };
  // What an area of the screen shows.
  struct Look {
    double lit = 0;  // the share of pixels that are not black
    int dark = 0;    // pixels dark enough to be text on a light window
  };

  XScreen();  // $DISPLAY; throws std::runtime_error when it cannot connect
  ~XScreen();
  XScreen(const XScreen&) = delete;
  XScreen& operator=(const XScreen&) = delete;

  // The mapped top-level window titled `title` (_NET_WM_NAME), or 0.
  xcb_window_t FindWindow(const std::string& title);
  // The window's area on the screen.
  Rect Area(xcb_window_t window);
  Look LookAt(const Rect& area);
  // Maps a black window over `area`, then takes it away again: what was
  // under it must be painted anew by its owner.
  void CoverAndUncover(const Rect& area);
  // The bytes of property `name` of `window` ("" when it has none).
  std::string Property(xcb_window_t window, const std::string& name);
  // The same read as 32-bit values.
  std::vector<uint32_t> Property32(xcb_window_t window, const std::string& name);

 private:
  xcb_atom_t Atom(const std::string& name);

  xcb_connection_t* connection_;
  xcb_screen_t* screen_;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_UI_X_SCREEN_H_
