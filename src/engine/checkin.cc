// Documents: check-out, check-in, publishing, delete and rename, and what the
// server allows to be done to a document now.
#include <string_view>

#include "engine/error_codes.h"
#include "engine/server_class1.h"
#include "module/comma_split.h"
#include "module/field_access.h"
#include "module/names.h"
#include "server/names.h"

namespace orvex::engine {
namespace {

// Option values of the document open: on the document itself, and on the
// working copy that receives a check-in's field values.
constexpr int32_t kOpenDocument = 0x10000000;
constexpr int32_t kOpenWorkingCopy = 3;

constexpr char kOperationCheckin[] = "checkin";
constexpr char kOperationDelete[] = "delete";

// Walks the document's allowed operations from the first while none has
// matched. Throws when the field is not a list.
template <typename Match>
bool AnyAllowedOperation(const server::Fields& document, Match match) {
  const VariantArray& operations = document.Value(server::kPropOperationsAllowed).array();
  bool found = false;
  for (size_t i = 0; !found && i < operations.size(); ++i) found = match(operations[i].ToString());
  return found;
}

// The check-in test on a document's properties; false for anything that
// is not a list of operations.
bool CheckinAllowedIn(const server::Fields& document) {
  try {
    return AnyAllowedOperation(document,
                               [](const std::string& op) { return op == kOperationCheckin; });
  } catch (...) {
    return false;
  }
}

}  // namespace

bool ServerClass1::CheckOut(const std::string& Folder, const std::string& File) {
  const int16_t status = IsFileStatus(Folder, File);
  if (status == kStatusCheckedOutByOther || status == kStatusCheckedOutByMe) {
    ErrorCode = kCodeAccessDenied;
    return false;
  }
  if (status == kStatusNone) {
    ErrorCode = kCodeStateRefused;
    return false;
  }
  // A document the status check could not find (-1) is still asked for: the
  // server's refusal is the error to report.
  try {
    backend_->CreateVersion()->CheckOut(PreCreateURL(kUrlWorkspaceItem, Folder, File), "");
    return true;
  } catch (...) {
    SetErrorCode();
    return false;
  }
}

bool ServerClass1::CheckIn(const std::string& Folder, const std::string& File) {
  DocumentRead read;
  const int16_t status = ReadFileStatus(Folder, File, &read);
  if (status == kStatusNone) {
    ErrorCode = kCodeStateRefused;
    return false;
  }
  if (status != kStatusCheckedOutByMe) {
    ErrorCode = kCodeAccessDenied;
    return false;
  }
  const std::string url = PreCreateURL(kUrlWorkspaceItem, Folder, File);
  try {
    auto document = backend_->CreateItem(server::ItemKind::kDocument);
    auto version = backend_->CreateVersion();
    // The status check has just read this very document, through the same
    // request the check-in test and the document open would send again (a
    // Depth 0 read of the URL, or the listing row that reports the same
    // properties), so its answer serves both: the allowed operations and
    // the working copy come from it. A check that read another URL (a folder
    // given as a URL) asks again as usual.
    const bool held = read.url == url;
    if (held ? !CheckinAllowedIn(read.fields) : !IsCheckinAllowed(Folder, File)) {
      ErrorCode = kCodeAccessDenied;
      return false;
    }
    // The field values go to the working copy, which becomes the new
    // version at check-in.
    std::string working_copy;
    if (held) {
      working_copy = module::FieldText(read.fields, server::kPropWorkingCopy);
    } else {
      document->OpenDocument(url, kOpenDocument);
      working_copy = module::ItemFieldText(*document, server::kPropWorkingCopy);
    }
    if (working_copy.empty()) working_copy = url;
    document->OpenDocument(working_copy, kOpenWorkingCopy);

    const ConnectProperties& p = OwnerProperties();
    if (p.ShowProfileDialog) {
      if (!ChangeProfile(Folder, *document, false)) return false;
      // Cancelled: the document stays checked out, nothing saved.
      if (!SelectFlag) return true;
    } else {
      server::Fields& fields = document->GetFields();
      fields.SetValue(server::kPropAuthor, p.Author.empty() ? LoginUser : p.Author);
      fields.SetValue(server::kPropKeywords, module::SplitByComma(p.Keywords));
      fields.SetValue(server::kPropDescription, p.Description);
      fields.SetValue(server::kPropTitle, p.Title);
      fields.Update();
    }
    document->Save();
    version->CheckIn(url, p.CheckInComment);
    return true;
  } catch (...) {
    SetErrorCode();
    return false;
  }
}

bool ServerClass1::Publish(const std::string& Folder, const std::string& File) {
  try {
    backend_->CreateVersion()->Publish(PreCreateURL(kUrlWorkspaceItem, Folder, File));
    return true;
  } catch (...) {
    SetErrorCode();
    return false;
  }
}

bool ServerClass1::DeleteFile(const std::string& Folder, const std::string& File) {
  if (!module::IsValidPath(Folder) || !module::IsValidName(File)) {
    ErrorCode = kCodeBadPath;
    return false;
  }
  if (!IsAllowedMethod(Folder, File, kOperationDelete)) return false;
  try {
    const std::string url = PreCreateURL(kUrlWorkspaceItem, Folder, File);
    auto document = backend_->CreateItem(server::ItemKind::kDocument);
    document->OpenDocument(url, kOpenDocument);
    document->Delete(url);
    return true;
  } catch (...) {
    SetErrorCode();
    return false;
  }
}

bool ServerClass1::ChangeFileName(const std::string& Folder, const std::string& OldFileName,
                                  const std::string& NewFileName) {
  const std::string old_url = PreCreateURL(kUrlWorkspaceItem, Folder, OldFileName);
  if (!module::IsValidName(OldFileName) || !module::IsValidName(NewFileName)) {
    ErrorCode = kCodeBadName;
    return false;
  }
  try {
    auto document = backend_->CreateItem(server::ItemKind::kDocument);
    document->Open(Bind(old_url, &cnx1(), true));
    if (NewFileName != OldFileName)
      document->MoveTo(PreCreateURL(kUrlWorkspaceItem, Folder, NewFileName));
    return true;
  } catch (...) {
    SetErrorCode();
    return false;
  }
}

bool ServerClass1::IsCheckinAllowed(const std::string& Folder, const std::string& File) {
  try {
    auto document = backend_->CreateItem(server::ItemKind::kDocument);
    server::BindArgs args = Bind(PreCreateURL(kUrlWorkspaceItem, Folder, File), &cnx1(), false, 0);
    args.mode = server::kModeShareDenyNone;
    document->Open(args);
    return CheckinAllowedIn(document->GetFields());
  } catch (...) {
    return false;
  }
}

bool ServerClass1::IsAllowedMethod(const std::string& Folder, const std::string& File,
                                   const std::string& Method) {
  try {
    auto document = backend_->CreateItem(server::ItemKind::kDocument);
    server::BindArgs args = Bind(PreCreateURL(kUrlWorkspaceItem, Folder, File), nullptr, true, 0);
    args.mode = server::kModeShareDenyNone;
    document->Open(args);
    // An entry matches when it ends with the name, which an equal entry does.
    return AnyAllowedOperation(document->GetFields(), [&](const std::string& op) {
      return std::string_view(op).ends_with(Method);
    });
  } catch (...) {
    SetErrorCode();
    return false;
  }
}

}  // namespace orvex::engine
