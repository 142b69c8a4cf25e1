#include "ui/x_screen.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace orvex::testing {
namespace {

template <class T>
std::unique_ptr<T, decltype(&std::free)> Reply(T* reply) {
  return {reply, &std::free};
}

}  // namespace

XScreen::XScreen() : connection_(xcb_connect(nullptr, nullptr)) {
  if (xcb_connection_has_error(connection_)) {
    xcb_disconnect(connection_);
    throw std::runtime_error("cannot connect to the X server of DISPLAY");
  }
  screen_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
}

XScreen::~XScreen() { xcb_disconnect(connection_); }

xcb_atom_t XScreen::Atom(const std::string& name) {
  auto reply = Reply(xcb_intern_atom_reply(
      connection_,
      xcb_intern_atom(connection_, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr));
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::string XScreen::Property(xcb_window_t window, const std::string& name) {
  auto reply = Reply(xcb_get_property_reply(
      connection_,
      xcb_get_property(connection_, 0, window, Atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 4096),
      nullptr));
  if (!reply) return "";
  const int bytes = xcb_get_property_value_length(reply.get());
  return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                     static_cast<size_t>(bytes));
}

std::vector<uint32_t> XScreen::Property32(xcb_window_t window, const std::string& name) {
  const std::string bytes = Property(window, name);
  std::vector<uint32_t> values(bytes.size() / 4);
  for (size_t i = 0; i < values.size(); ++i)
    values[i] = *reinterpret_cast<const uint32_t*>(bytes.data() + 4 * i);
  return values;
}

xcb_window_t XScreen::FindWindow(const std::string& title) {
  auto tree =
      Reply(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, screen_->root), nullptr));
  if (!tree) return 0;
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
    auto attributes = Reply(xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, children[i]), nullptr));
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) continue;
    if (Property(children[i], "_NET_WM_NAME") == title) return children[i];
  }
  return 0;
}

XScreen::Rect XScreen::Area(xcb_window_t window) {
  auto geometry =
      Reply(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
  if (!geometry) return {};
  auto at = Reply(xcb_translate_coordinates_reply(
      connection_, xcb_translate_coordinates(connection_, window, screen_->root, 0, 0), nullptr));
  if (!at) return {};
  return {at->dst_x, at->dst_y, geometry->width, geometry->height};
}

XScreen::Look XScreen::LookAt(const Rect& area) {
  Look look;
  if (area.width <= 0 || area.height <= 0) return look;
  auto image = Reply(xcb_get_image_reply(
      connection_,
      xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, screen_->root,
                    static_cast<int16_t>(area.x), static_cast<int16_t>(area.y),
                    static_cast<uint16_t>(area.width), static_cast<uint16_t>(area.height), ~0u),
      nullptr));
  if (!image) return look;
  // Depth 24 on 32 bits a pixel: blue, green, red, unused.
  const uint8_t* p = xcb_get_image_data(image.get());
  const int pixels = xcb_get_image_data_length(image.get()) / 4;
  int lit = 0;
  for (int i = 0; i < pixels; ++i, p += 4) {
    const int brightest = std::max({p[0], p[1], p[2]});
    if (brightest > 16) ++lit;
    if (brightest > 16 && brightest < 96) ++look.dark;
  }
  look.lit = pixels > 0 ? static_cast<double>(lit) / pixels : 0;
  return look;
}

void XScreen::CoverAndUncover(const Rect& area) {
  const xcb_window_t cover = xcb_generate_id(connection_);
  const uint32_t values[] = {screen_->black_pixel, 1};
  xcb_create_window(connection_, XCB_COPY_FROM_PARENT, cover, screen_->root,
                    static_cast<int16_t>(area.x), static_cast<int16_t>(area.y),
                    static_cast<uint16_t>(area.width), static_cast<uint16_t>(area.height), 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual,
                    XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
  xcb_map_window(connection_, cover);
  auto done = Reply(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_),
                                              nullptr));  // a round trip: the cover is up
  xcb_destroy_window(connection_, cover);
  done = Reply(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

}  // namespace orvex::testing
