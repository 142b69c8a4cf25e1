// Category folders: listing the categories under a category path, and
// creating, deleting and renaming category folders. Every URL is built with
// kind 4, below the workspace's categories folder (RootCategory).
#include "engine/error_codes.h"
#include "engine/listing_columns.h"
#include "engine/server_class1.h"
#include "module/field_access.h"
#include "module/names.h"
#include "server/names.h"

namespace orvex::engine {
namespace {

// A listed flag: the row's value is read as text and converted the way the
// automation runtime converts text to a Boolean ("True", "False", a number).
// Text that is no Boolean, the empty text of a missing flag included, raises
// the type-mismatch error, which fails the listing like a server error.
bool TextFlag(const server::Recordset& rows, const char* name) {
  return Variant(module::RecordsetFieldText(rows, name)).ToBool();
}

}  // namespace

int16_t ServerClass1::GetCategoryInfo(const std::string& Folder) {
  const std::string url = CreateURL(kUrlCategory, Folder);
  // The count is emptied together with the list: after a failed re-open no
  // row of the previous listing stays readable through GetCategory.
  categories_.Reset();
  try {
    if (!WorkspaceFolder)
      WorkspaceFolder = backend_->CreateItem(server::ItemKind::kWorkspaceFolder);
    server::Recordset rows = WorkspaceFolder->OpenAndListSubfolders(Bind(url, nullptr, false),
                                                                    listing_columns::kCategories);
    for (; !rows.Eof(); rows.MoveNext()) {
      CategoryRow row;
      row.name = module::RecordsetFieldText(rows, server::kColParseName);
      row.description = module::RecordsetFieldText(rows, server::kPropDescription);
      row.read_only = TextFlag(rows, server::kColIsReadOnly);
      row.has_children = TextFlag(rows, server::kPropHasChildren);
      categories_.Add(std::move(row));
    }
  } catch (...) {
    SetErrorCode();
    return -1;
  }
  return categories_.count();
}

bool ServerClass1::GetCategory(int16_t Index, std::string& Category, std::string& Description,
                               bool& ReadOnly, bool& HasChild) {
  const CategoryRow* row = categories_.Get(Index);
  if (row == nullptr) return false;
  Category = row->name;
  Description = row->description;
  ReadOnly = row->read_only;
  HasChild = row->has_children;
  return true;
}

bool ServerClass1::CreateCategory(const std::string& Category) {
  if (!module::IsValidPath(Category)) {
    ErrorCode = kCodeBadPath;
    return false;
  }
  auto category = backend_->CreateItem(server::ItemKind::kCategoryFolder);
  const std::string url = CreateURL(kUrlCategory, Category);
  try {
    category->SetContentClass(server::kClassCategoryFolder);
    category->SaveTo(Bind(url, nullptr, true, 0));
    return true;
  } catch (...) {
    SetErrorCode();
    return false;
  }
}

bool ServerClass1::DeleteCategory(const std::string& Category) {
  if (!module::IsValidPath(Category)) {
    ErrorCode = kCodeBadPath;
    return false;
  }
  auto category = backend_->CreateItem(server::ItemKind::kCategoryFolder);
  const std::string url = CreateURL(kUrlCategory, Category);
  try {
    category->Open(Bind(url, nullptr, true));
    // Without an argument the delete names the item it is bound to.
    category->Delete("");
    return true;
  } catch (...) {
    SetErrorCode();
    return false;
  }
}

bool ServerClass1::ChangeCategoryName(const std::string& OldCategory,
                                      const std::string& NewCategory) {
  // The name check refuses the empty name and "/", so only top-level
  // categories are renamed and a category keeps its level.
  if (!module::IsValidName(OldCategory) || !module::IsValidName(NewCategory)) {
    ErrorCode = kCodeBadName;
    return false;
  }
  auto category = backend_->CreateItem(server::ItemKind::kCategoryFolder);
  const std::string url = CreateURL(kUrlCategory, OldCategory);
  try {
    category->Open(Bind(url, nullptr, true));
    if (NewCategory != OldCategory) category->MoveTo(CreateURL(kUrlCategory, NewCategory));
    return true;
  } catch (...) {
    SetErrorCode();
    return false;
  }
}

void ServerClass1::GetCategoryTree(const std::string& Workspace, const std::string& Folder,
                                   int16_t Base, int16_t& Count) {
  // Built here from the workspace given, not by CreateURL.
  std::string url = "http://" + HostName + "/" + Workspace + "/" + RootCategory;
  if (!Folder.empty()) url += "/" + Folder;
  WalkTreeLevel(
      url, Base, Count, listing_columns::kCategoryTree,
      [&](const server::Fields& f, TreeEntry& e) {
        // Every row is a category: the content class is not looked at.
        e.ImageKey = "category";
        e.ItemName = f.Value(server::kColDisplayName).ToString();
        if (Folder.empty()) {
          e.Path = e.ItemName;
          e.ParentPath = Workspace + "/" + RootCategory;
        } else {
          e.Path = Folder + "/" + e.ItemName;
          e.ParentPath = Folder;
        }
        e.HasSubs = module::FlagValue(f.Value(server::kPropHasSubs));
        return true;
      },
      [&](const std::string& path, int16_t base) {
        int16_t r = -1;
        GetCategoryTree(Workspace, path, base, r);
        return r;
      });
}

}  // namespace orvex::engine
