#include "dialogs/tree_forms.h"

#include "module/names.h"
#include "module/top_most.h"
#include "platform/ui/message_box.h"
#include "resources/strings.h"

namespace orvex::dialogs {
namespace {

using resources::TextId;

// A message box whose text is string `text` with "%" replaced by `name`.
int32_t Notice(TextId text, const std::string& name, int32_t style, TextId title) {
  return ui::MessageBox(resources::ReplacePercent(resources::LoadString(text), name), style,
                        resources::LoadString(title));
}

}  // namespace

void ShowTopMost(ui::Form& form) {
  int32_t handle = form.hWnd();
  module::SetTopMost(handle);
  form.ShowModal();
}

// TreeForm

TreeForm::TreeForm(ui::FormDeclaration declaration) : form_(std::move(declaration)) {
  form_.OnLoad([this] { Form_Load(); });
  form_.OnFrameClose([this] { CancelButton_Click(); });
  TreeView1().OnClick([this] { TreeView1_Click(); });
  OKButton().OnClick([this] { OKButton_Click(); });
  CancelButton().OnClick([this] { CancelButton_Click(); });
}

void TreeForm::Keep(engine::Owner& Connect, engine::ServerClass1& Server,
                    const std::string& Worksapce, const ui::NodeRef& Treenodx) {
  connect_ = &Connect;
  server_ = &Server;
  worksapce_ = Worksapce;
  treenodx_ = Treenodx;
  Server.SelectFlag = false;
}

void TreeForm::LoadCaptions(TextId form_caption,
                            std::initializer_list<std::pair<const char*, TextId>> buttons) {
  form_.SetCaption(resources::LoadString(form_caption));
  for (const auto& [button, id] : buttons)
    form_.button(button).SetCaption(resources::LoadString(id));
}

void TreeForm::Close() {
  form_.Hide();
  TreeView1().Clear();
}

// EditableTreeForm

EditableTreeForm::EditableTreeForm(ui::FormDeclaration declaration, const TreeEditTexts& texts)
    : TreeForm(std::move(declaration)), texts_(texts) {
  CreateButton().OnClick([this] { CreateButton_Click(); });
  DeleteButton().OnClick([this] { DeleteButton_Click(); });
}

void EditableTreeForm::DisableNodeButtons() {
  OKButton().SetEnabled(false);
  CreateButton().SetEnabled(false);
  DeleteButton().SetEnabled(false);
}

bool EditableTreeForm::TakeSelectedNode() {
  current_ = TreeView1().SelectedItem();
  if (current_ != nullptr) return true;
  DisableNodeButtons();
  return false;
}

void EditableTreeForm::TreeView1_Click() {
  if (!TakeSelectedNode()) return;
  CreateButton().SetEnabled(true);
  const bool choosable = current_->Image() != texts_.root_image;
  OKButton().SetEnabled(choosable);
  DeleteButton().SetEnabled(choosable);
}

void EditableTreeForm::CreateUnderSelection(
    NameEntryForm& entry, const bool& confirmed, const std::string& name,
    const std::function<std::optional<NewNode>(const ui::TreeNode&, const std::string&)>& create) {
  if (!TakeSelectedNode()) return;
  entry.SetData(*connect_, *server_, "");
  ShowTopMost(entry.form());
  bool created = false;
  if (confirmed) {
    if (std::optional<NewNode> node = create(*current_, name)) {
      treenodx_ = TreeView1().AddChild(*current_, node->key, name, node->image);
      treenodx_->EnsureVisible();
      created = true;
    } else {
      Notice(TextId::kCreateFailed, name, ui::kMbOkOnly | ui::kMbCritical,
             texts_.create_failed_title);
      server_->ErrorCode = 0;
    }
  }
  if (created || texts_.focus_after_every_edit) TreeView1().SetFocus();
}

void EditableTreeForm::DeleteSelection(const std::function<bool(const ui::TreeNode&)>& remove) {
  if (!TakeSelectedNode()) return;
  const std::string text = current_->Text();
  const int32_t answer =
      Notice(TextId::kAskDelete, text, ui::kMbYesNo | ui::kMbQuestion | ui::kMbDefaultButton2,
             texts_.delete_title);
  bool deleted = false;
  if (answer == ui::kAnswerYes) {
    const std::string key = current_->Key();
    if (remove(*current_)) {
      TreeView1().Remove(key);
      deleted = true;
    } else {
      Notice(TextId::kDeleteFailed, text, ui::kMbOkOnly | ui::kMbCritical, texts_.delete_title);
      server_->ErrorCode = 0;
    }
  }
  if (deleted || texts_.focus_after_every_edit) TreeView1().SetFocus();
  TakeSelectedNode();  // nothing is selected once the selected node is gone
}

// NameEntryForm

NameEntryForm::NameEntryForm(const char* form_name, const char* label, const char* name_box,
                             const NameEntryTexts& texts)
    : form_([&] {
        ui::FormDeclaration d(form_name);
        d.Label(label)
            .TextBox(name_box)
            .Size(300, 0)
            .Button("OKButton")
            .Default()
            .Button("CancelButton");
        return d;
      }()),
      label_(label),
      name_box_(name_box),
      texts_(texts) {
  form_.OnLoad([this] { Form_Load(); });
  // Closing the entry from its frame counts as Cancel.
  form_.OnFrameClose([this] { CancelButton_Click(); });
  form_.text_box(name_box_).OnChange([this] { Name_Change(); });
  form_.text_box(name_box_).OnKeyPress([this](int& key) { Name_KeyPress(key); });
  OKButton().OnClick([this] { OKButton_Click(); });
  CancelButton().OnClick([this] { CancelButton_Click(); });
}

void NameEntryForm::SetData(engine::Owner& Connect, engine::ServerClass1& Server,
                            const std::string& Name) {
  connect_ = &Connect;
  server_ = &Server;
  form_.text_box(name_box_).SetText(Name);
}

void NameEntryForm::Form_Load() {
  OKButton().SetEnabled(false);
  form_.SetCaption(resources::LoadString(texts_.caption));
  OKButton().SetCaption(resources::LoadString(TextId::kCreate));
  CancelButton().SetCaption(resources::LoadString(TextId::kCancel));
  form_.label(label_).SetCaption(resources::LoadString(texts_.label));
}

void NameEntryForm::Name_Change() {
  OKButton().SetEnabled(!form_.text_box(name_box_).Text().empty());
}

void NameEntryForm::Name_KeyPress(int& KeyAscii) {
  if (KeyAscii != ui::kKeyEnter) return;
  // Handled here; the key must not press OK a second time.
  KeyAscii = 0;
  if (OKButton().Enabled()) OKButton_Click();
}

void NameEntryForm::OKButton_Click() {
  const std::string name = form_.text_box(name_box_).Text();
  if (!module::IsValidName(name)) {
    Notice(TextId::kForbiddenCharacters, resources::LoadString(texts_.field),
           ui::kMbOkOnly | ui::kMbExclamation, texts_.bad_name_title);
    return;
  }
  Answer(true, name);
  form_.Hide();
}

void NameEntryForm::CancelButton_Click() {
  Answer(false, "");
  form_.Hide();
}

}  // namespace orvex::dialogs
