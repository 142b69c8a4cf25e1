// Document profiles: the workspace's profiles with their titles, the
// profiles a folder offers, a folder's default profile, and the look-ups
// between a profile's id and its title.
#include <map>
#include <memory>

#include "engine/error_codes.h"
#include "engine/server_class1.h"
#include "module/names.h"
#include "server/schema.h"

namespace orvex::engine {

int16_t ServerClass1::GetDocProfileInfo() {
  doc_profiles_.Reset();
  try {
    if (!WorkspaceFolder)
      WorkspaceFolder = backend_->CreateItem(server::ItemKind::kWorkspaceFolder);
    WorkspaceFolder->Open(Bind(CreateURL(kUrlWorkspaceItem, ""), &cnx1(), false));
    const std::vector<std::string> ids = WorkspaceFolder->DocumentProfiles();
    // A profile listed twice is looked up once.
    std::map<std::string, std::string> titles;
    for (const std::string& id : ids) {
      auto known = titles.find(id);
      if (known == titles.end())
        known = titles.emplace(id, WorkspaceFolder->ContentClassDefinition(id)->Title()).first;
      doc_profiles_.Add(ProfileRow{id, known->second});
    }
  } catch (...) {
    SetErrorCode();
    return -1;
  }
  return doc_profiles_.count();
}

bool ServerClass1::GetDocProfile(int16_t Index, std::string& ProfileName) {
  const ProfileRow* row = doc_profiles_.Get(Index);
  if (row == nullptr) return false;
  ProfileName = row->title;
  return true;
}

int16_t ServerClass1::GetProfileInfo(const std::string& Folder) {
  if (!Folder.empty() && !module::IsValidPath(Folder)) {
    ErrorCode = kCodeBadName;
    return -1;
  }
  GetDocProfileInfo();
  folder_profiles_.Reset();
  try {
    auto folder = backend_->CreateItem(server::ItemKind::kDocumentFolder);
    folder->Open(Bind(CreateURL(kUrlWorkspaceItem, Folder), nullptr, true));
    for (const std::string& id : folder->DocumentProfiles()) {
      // Profiles the workspace does not list, or without a title, are left out.
      std::string title = FindProfileTitle(id);
      if (title.empty()) continue;
      folder_profiles_.Add(ProfileRow{id, std::move(title)});
    }
  } catch (...) {
    SetErrorCode();
    return -1;
  }
  return folder_profiles_.count();
}

bool ServerClass1::GetProfile(int16_t Index, std::string& Profile) {
  const ProfileRow* row = folder_profiles_.Get(Index);
  if (row == nullptr) return false;
  Profile = row->title;
  return true;
}

std::string ServerClass1::GetDefaultProfile(const std::string& strFolderPath) {
  if (!strFolderPath.empty() && !module::IsValidPath(strFolderPath)) {
    ErrorCode = kCodeBadName;
    return {};
  }
  try {
    auto folder = backend_->CreateItem(server::ItemKind::kDocumentFolder);
    folder->Open(Bind(CreateURL(kUrlWorkspaceItem, strFolderPath), nullptr, true));
    return folder->DefaultDocumentProfile();
  } catch (...) {
    SetErrorCode();
    return {};
  }
}

std::string ServerClass1::FindProfileTitle(const std::string& ProfileID) const {
  for (int16_t i = 0; i < doc_profiles_.count(); ++i)
    if (doc_profiles_.Get(i)->id == ProfileID) return doc_profiles_.Get(i)->title;
  return {};
}

std::string ServerClass1::FindProfileID(const std::string& ProfileTitle) const {
  if (ProfileTitle.empty()) return {};
  for (int16_t i = 0; i < doc_profiles_.count(); ++i)
    if (doc_profiles_.Get(i)->title == ProfileTitle) return doc_profiles_.Get(i)->id;
  return {};
}

}  // namespace orvex::engine
