#include "platform/ui/record.h"

#include "platform/ui/button.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/form.h"
#include "platform/ui/image_list.h"
#include "platform/ui/label.h"
#include "platform/ui/list_box.h"
#include "platform/ui/list_view.h"
#include "platform/ui/text_box.h"
#include "platform/ui/timer.h"
#include "platform/ui/tree_view.h"

namespace orvex::ui {
namespace {

using json = nlohmann::json;

json KeyOrNull(const TreeNode* node) {
  if (node == nullptr) return nullptr;
  return node->Key();
}

json ControlRecord(const Control& c) {
  json r = {{"name", c.name()},
            {"kind", std::string(ControlKindName(c.kind()))},
            {"enabled", c.Enabled()},
            {"visible", c.Visible()}};
  switch (c.kind()) {
    case ControlKind::kLabel:
      r["caption"] = static_cast<const Label&>(c).Caption();
      break;
    case ControlKind::kButton:
      r["caption"] = static_cast<const Button&>(c).Caption();
      break;
    case ControlKind::kTextBox:
      r["text"] = static_cast<const TextBox&>(c).Text();
      break;
    case ControlKind::kComboBox: {
      const auto& combo = static_cast<const ComboBox&>(c);
      r["text"] = combo.Text();
      r["items"] = combo.Items();
      r["listindex"] = combo.ListIndex();
      break;
    }
    case ControlKind::kListBox: {
      const auto& list = static_cast<const ListBox&>(c);
      json items = json::array();
      for (int i = 0; i < list.ListCount(); ++i)
        items.push_back({{"text", list.List(i)}, {"selected", list.Selected(i)}});
      r["items"] = items;
      break;
    }
    case ControlKind::kListView: {
      const auto& list = static_cast<const ListView&>(c);
      r["columns"] = list.ColumnHeaders();
      json rows = json::array();
      for (int i = 0; i < list.Count(); ++i) {
        const ListItem& item = list.Item(i);
        rows.push_back({{"key", item.Key()},
                        {"text", item.Text()},
                        {"subitems", item.SubItems()},
                        {"selected", item.Selected()}});
      }
      r["rows"] = rows;
      break;
    }
    case ControlKind::kTreeView: {
      const auto& tree = static_cast<const TreeView&>(c);
      json nodes = json::array();
      for (const auto& node : tree.Nodes()) {
        nodes.push_back({{"key", node->Key()},
                         {"text", node->Text()},
                         {"image", node->Image()},
                         {"parent", KeyOrNull(node->Parent())},
                         {"expanded", node->Expanded()}});
      }
      r["nodes"] = nodes;
      r["selected"] = KeyOrNull(tree.SelectedItem());
      break;
    }
    case ControlKind::kTimer:
      r["interval"] = static_cast<const Timer&>(c).Interval();
      break;
    case ControlKind::kImageList:
      r["keys"] = static_cast<const ImageList&>(c).Keys();
      break;
  }
  return r;
}

}  // namespace

json FormRecord(const Form& form) {
  json controls = json::array();
  for (const auto& c : form.controls()) controls.push_back(ControlRecord(*c));
  json focus = nullptr;
  if (form.FocusedControl() != nullptr) focus = form.FocusedControl()->name();
  return {{"name", form.name()},
          {"caption", form.Caption()},
          {"topmost", form.TopMost()},
          {"focus", focus},
          {"controls", controls}};
}

json MessageBoxRecord(const MessageBoxRequest& request, int32_t answer) {
  return {{"text", request.text},
          {"title", request.title},
          {"style", request.style},
          {"icon", std::string(request.icon())},
          {"answer", std::string(AnswerName(answer))}};
}

}  // namespace orvex::ui
