// Document folders: listing, the enhanced-folder test, the folder walk, and
// creating, deleting and renaming folders.
#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string_view>

#include "engine/error_codes.h"
#include "engine/listing_columns.h"
#include "engine/server_class1.h"
#include "module/field_access.h"
#include "module/names.h"
#include "server/names.h"

namespace orvex::engine {
namespace {

// Room of the walk's entry list when an operation starts one, and its growth.
constexpr size_t kTreeRoom = 31;
constexpr size_t kTreeGrowth = 20;
// Image key of an enhanced folder's entry.
constexpr char kImageSmart[] = "smart";

// True when a listed folder's URL (collections end in "/") and a built one
// name the same resource: equal but for a final "/".
bool SameFolderUrl(std::string_view listed, std::string_view built) {
  if (listed.empty() || built.empty()) return false;
  if (listed.ends_with('/')) listed.remove_suffix(1);
  if (built.ends_with('/')) built.remove_suffix(1);
  return listed == built;
}

}  // namespace

int16_t ServerClass1::GetDocFolderInfo(const std::string& Folder) {
  if (!Folder.empty() && !module::IsValidPath(Folder)) {
    ErrorCode = kCodeBadPath;
    return -1;
  }
  const std::string url = CreateURL(kUrlWorkspaceItem, Folder);
  folders_.Reset();
  try {
    if (!WorkspaceFolder)
      WorkspaceFolder = backend_->CreateItem(server::ItemKind::kWorkspaceFolder);
    server::Recordset rows = WorkspaceFolder->OpenAndListSubfolders(Bind(url, nullptr, true),
                                                                    listing_columns::kDocFolders);
    for (; !rows.Eof(); rows.MoveNext()) {
      const server::Fields& f = rows.Current();
      const std::string content_class = f.Value(server::kColContentClass).ToString();
      bool version;
      if (content_class == server::kClassSmartFolder)
        version = true;
      else if (content_class == server::kClassKnowledgeFolder)
        version = false;
      else
        continue;
      folders_.Add(FolderRow{f.Value(server::kColDisplayName).ToString(), version,
                             module::FlagValue(f.Value(server::kColIsReadOnly)),
                             f.Value(server::kPropHref).ToString()});
    }
  } catch (...) {
    SetErrorCode();
    return -1;
  }
  return folders_.count();
}

bool ServerClass1::GetDocFolder(int16_t Index, std::string& Folder, bool& Version, bool& ReadOnly) {
  const FolderRow* row = folders_.Get(Index);
  if (row == nullptr) return false;
  Folder = row->name;
  Version = row->version;
  ReadOnly = row->read_only;
  return true;
}

void ServerClass1::WalkTreeLevel(
    const std::string& url, int16_t Base, int16_t& Count, server::Item::Columns columns,
    const std::function<bool(const server::Fields&, TreeEntry&)>& fill,
    const std::function<int16_t(const std::string&, int16_t)>& descend) {
  Count = -1;
  try {
    int16_t n = 0;
    {
      auto folder = backend_->CreateItem(server::ItemKind::kWorkspaceFolder);
      server::Recordset rows = folder->OpenAndListSubfolders(Bind(url, nullptr, true), columns);
      for (; !rows.Eof(); rows.MoveNext()) {
        const size_t at = static_cast<size_t>(Base) + static_cast<size_t>(n);
        if (at >= TreeEntries.size()) TreeEntries.resize(TreeEntries.size() + kTreeGrowth);
        if (!fill(rows.Current(), TreeEntries[at])) continue;
        if (n == std::numeric_limits<int16_t>::max()) throw std::overflow_error("tree entries");
        ++n;
      }
    }
    int total = 0;
    for (int16_t i = 0; i < n; ++i) {
      const TreeEntry& e = TreeEntries[static_cast<size_t>(Base + i)];
      if (!e.HasSubs) continue;
      if (Base + n + total > std::numeric_limits<int16_t>::max())
        throw std::overflow_error("tree entries");
      const std::string path = e.Path;  // the list may grow under the reference
      const int16_t r = descend(path, static_cast<int16_t>(Base + n + total));
      if (r == -1) return;
      total += r;
    }
    if (n + total > std::numeric_limits<int16_t>::max()) throw std::overflow_error("tree entries");
    Count = static_cast<int16_t>(n + total);
  } catch (...) {
    SetErrorCode();
  }
}

void ServerClass1::GetFolderTree(const std::string& Workspace, const std::string& Folder,
                                 int16_t Base, int16_t& Count) {
  const std::string url = Folder.empty() ? "http://" + HostName + "/" + Workspace + "/"
                                         : "http://" + HostName + "/" + Folder;
  WalkTreeLevel(
      url, Base, Count, listing_columns::kFolderTree,
      [&](const server::Fields& f, TreeEntry& e) {
        // Only document folders are listed: enhanced or standard.
        const std::string content_class = f.Value(server::kColContentClass).ToString();
        if (content_class == server::kClassSmartFolder)
          e.ImageKey = kImageSmart;
        else if (content_class == server::kClassKnowledgeFolder)
          e.ImageKey = "folder";
        else
          return false;
        e.ItemName = f.Value(server::kColDisplayName).ToString();
        e.ParentPath = Folder.empty() ? Workspace : Folder;
        e.Path = e.ParentPath + "/" + e.ItemName;
        e.HasSubs = module::FlagValue(f.Value(server::kPropHasSubs));
        e.Url = f.Value(server::kPropHref).ToString();
        return true;
      },
      [&](const std::string& path, int16_t base) {
        int16_t r = -1;
        GetFolderTree(Workspace, path, base, r);
        return r;
      });
}

bool ServerClass1::IsVersionFolder(const std::string& Folder) {
  ErrorCode = kCodeNone;
  TreeEntries.assign(kTreeRoom, TreeEntry{});
  int16_t count = -1;
  GetFolderTree(CurrentWorkspace, "", 0, count);
  const std::string wanted = CurrentWorkspace + "/" + Folder;
  const auto last = TreeEntries.begin() + std::max<int16_t>(count, 0);
  const auto entry =
      std::find_if(TreeEntries.begin(), last, [&](const TreeEntry& e) { return e.Path == wanted; });
  const bool exists = count > 0 && entry != last;
  const TreeEntry found = exists ? *entry : TreeEntry{};
  TreeEntries.clear();
  if (!exists) {
    ErrorCode = kCodeNotFound;
    return false;
  }
  if (!module::IsValidPath(Folder)) {
    ErrorCode = kCodeBadName;
    return false;
  }
  const std::string url = CreateURL(kUrlWorkspaceItem, Folder);
  // The walk has just listed the folder in its parent, with the same
  // credentials; a listing's row carries every property the folder's own
  // open would read. When that row is the very resource of the URL, its
  // content class answers; the entry is "smart" exactly for an enhanced one.
  if (SameFolderUrl(found.Url, url)) return found.ImageKey == kImageSmart;
  try {
    auto folder = backend_->CreateItem(server::ItemKind::kDocumentFolder);
    folder->Open(Bind(url, nullptr, true));
    return folder->GetFields().Value(server::kColContentClass).ToString() ==
           server::kClassSmartFolder;
  } catch (...) {
    SetErrorCode();
    return false;
  }
}

bool ServerClass1::CreateFolder(const std::string& Folder, bool Version) {
  if (!module::IsValidPath(Folder)) {
    ErrorCode = kCodeBadPath;
    return false;
  }
  try {
    auto folder = backend_->CreateItem(server::ItemKind::kDocumentFolder);
    folder->SetContentClass(Version ? server::kClassSmartFolder : server::kClassKnowledgeFolder);
    folder->SaveTo(Bind(CreateURL(kUrlWorkspaceItem, Folder), nullptr, true, 0));
    return true;
  } catch (...) {
    SetErrorCode();
    return false;
  }
}

bool ServerClass1::DeleteFolder(const std::string& Folder) {
  if (!module::IsValidPath(Folder)) {
    ErrorCode = kCodeBadPath;
    return false;
  }
  try {
    const std::string url = CreateURL(kUrlWorkspaceItem, Folder);
    auto folder = backend_->CreateItem(server::ItemKind::kDocumentFolder);
    folder->Open(Bind(url, nullptr, true));
    folder->Delete(url);
    return true;
  } catch (...) {
    SetErrorCode();
    return false;
  }
}

bool ServerClass1::ChangeFolderName(const std::string& OldFolder, const std::string& NewFolder) {
  if (!module::IsValidName(OldFolder) || !module::IsValidName(NewFolder)) {
    ErrorCode = kCodeBadName;
    return false;
  }
  try {
    auto folder = backend_->CreateItem(server::ItemKind::kDocumentFolder);
    folder->Open(Bind(CreateURL(kUrlWorkspaceItem, OldFolder), nullptr, true));
    if (NewFolder != OldFolder) folder->MoveTo(CreateURL(kUrlWorkspaceItem, NewFolder));
    return true;
  } catch (...) {
    SetErrorCode();
    return false;
  }
}

}  // namespace orvex::engine
