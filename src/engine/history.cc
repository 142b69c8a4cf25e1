// Version history: the versions of one document, listed by one version-tree
// request and handed out one row at a time.
#include "engine/error_codes.h"
#include "engine/server_class1.h"
#include "module/field_access.h"
#include "module/names.h"
#include "server/names.h"

namespace orvex::engine {

int16_t ServerClass1::GetHistoryInfo(const std::string& Folder, const std::string& File) {
  // The list is replaced by every call, one that fails its argument test
  // included.
  history_.Reset();
  const std::string url = PreCreateURL(kUrlWorkspaceItem, Folder, File);
  if (!module::IsValidName(File) || url.empty() ||
      (!Folder.empty() && !module::IsValidPath(Folder))) {
    ErrorCode = kCodeBadName;
    return -1;
  }
  try {
    auto version = backend_->CreateVersion();
    server::Recordset rows = version->History(url, 0);
    // Every value is the provider's text for it: a missing or Null property
    // gives "", a time stamp keeps the text the server wrote.
    for (; !rows.Eof(); rows.MoveNext()) {
      HistoryRow row;
      row.location = module::RecordsetFieldText(rows, server::kPropHref);
      row.version_id = module::RecordsetFieldText(rows, server::kPropFriendlyVersionID);
      row.comment = module::RecordsetFieldText(rows, server::kPropVersionComment);
      row.created_time = module::RecordsetFieldText(rows, server::kPropCreatedTimeStamp);
      row.domain = module::RecordsetFieldText(rows, server::kPropVersionDomain);
      row.user = module::RecordsetFieldText(rows, server::kPropVersionUser);
      history_.Add(std::move(row));
    }
  } catch (...) {
    SetErrorCode();
    return -1;
  }
  return history_.count();
}

bool ServerClass1::GetHistory(int16_t Index, std::string& VersionID, std::string& Comment,
                              std::string& CreatedTime, std::string& Domain, std::string& User) {
  const HistoryRow* row = history_.Get(Index);
  if (row == nullptr) return false;
  VersionID = row->version_id;
  Comment = row->comment;
  CreatedTime = row->created_time;
  Domain = row->domain;
  User = row->user;
  return true;
}

}  // namespace orvex::engine
