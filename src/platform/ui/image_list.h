// ImageList: pictures by index and key, drawn by the tree views it is
// attached to. The pictures themselves are the backend's business; the list
// holds their keys in index order.
#ifndef ORVEX_PLATFORM_UI_IMAGE_LIST_H_
#define ORVEX_PLATFORM_UI_IMAGE_LIST_H_

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/control.h"

namespace orvex::ui {

class ImageList : public Control {
 public:
  ImageList(Form& form, std::string name, std::vector<std::string> keys)
      : Control(form, ControlKind::kImageList, std::move(name)), keys_(std::move(keys)) {}

  const std::vector<std::string>& Keys() const { return keys_; }
  // The 0-based index of `key`, or -1 when the list has no such picture.
  int IndexOf(std::string_view key) const;

 private:
  std::vector<std::string> keys_;
};

}  // namespace orvex::ui

#endif  // ORVEX_PLATFORM_UI_IMAGE_LIST_H_
