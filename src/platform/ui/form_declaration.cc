#include "platform/ui/form_declaration.h"

#include <stdexcept>

namespace orvex::ui {
namespace {

ControlDeclaration Declared(ControlKind kind, std::string name) {
  ControlDeclaration d;
  d.kind = kind;
  d.name = std::move(name);
  return d;
}

}  // namespace

FormDeclaration& FormDeclaration::Label(std::string control_name) {
  controls.push_back(Declared(ControlKind::kLabel, std::move(control_name)));
  return *this;
}

FormDeclaration& FormDeclaration::Button(std::string control_name) {
  controls.push_back(Declared(ControlKind::kButton, std::move(control_name)));
  return *this;
}

FormDeclaration& FormDeclaration::TextBox(std::string control_name, bool multiline) {
  controls.push_back(Declared(ControlKind::kTextBox, std::move(control_name)));
  controls.back().multiline = multiline;
  return *this;
}

FormDeclaration& FormDeclaration::ComboBox(std::string control_name) {
  controls.push_back(Declared(ControlKind::kComboBox, std::move(control_name)));
  return *this;
}

FormDeclaration& FormDeclaration::ListBox(std::string control_name) {
  controls.push_back(Declared(ControlKind::kListBox, std::move(control_name)));
  return *this;
}

FormDeclaration& FormDeclaration::ListView(std::string control_name,
                                           std::vector<std::string> headers) {
  controls.push_back(Declared(ControlKind::kListView, std::move(control_name)));
  controls.back().strings = std::move(headers);
  return *this;
}

FormDeclaration& FormDeclaration::TreeView(std::string control_name) {
  controls.push_back(Declared(ControlKind::kTreeView, std::move(control_name)));
  return *this;
}

FormDeclaration& FormDeclaration::Timer(std::string control_name, int interval_ms) {
  controls.push_back(Declared(ControlKind::kTimer, std::move(control_name)));
  controls.back().interval_ms = interval_ms;
  return *this;
}

FormDeclaration& FormDeclaration::ImageList(std::string control_name,
                                            std::vector<std::string> keys) {
  controls.push_back(Declared(ControlKind::kImageList, std::move(control_name)));
  controls.back().strings = std::move(keys);
  return *this;
}

FormDeclaration& FormDeclaration::Beside() {
  if (controls.empty()) throw std::logic_error("Beside() before any control");
  controls.back().beside_previous = true;
  return *this;
}

FormDeclaration& FormDeclaration::Size(int width, int height) {
  if (controls.empty()) throw std::logic_error("Size() before any control");
  controls.back().width = width;
  controls.back().height = height;
  return *this;
}

FormDeclaration& FormDeclaration::Default() {
  if (controls.empty() || controls.back().kind != ControlKind::kButton)
    throw std::logic_error("Default() after a control that is no button");
  for (ControlDeclaration& c : controls) c.is_default = false;
  controls.back().is_default = true;
  return *this;
}

FormDeclaration& FormDeclaration::PickOnly() {
  if (controls.empty() || controls.back().kind != ControlKind::kComboBox)
    throw std::logic_error("PickOnly() after a control that is no combo box");
  controls.back().pick_only = true;
  return *this;
}

FormDeclaration& FormDeclaration::NotClosable() {
  closable = false;
  return *this;
}

}  // namespace orvex::ui
