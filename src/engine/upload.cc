// Upload: one local file saved as a document of a folder, with the
// overwrite policy, the document's profile and values, and the optional
// check-in and publishing that follow.
#include <stdexcept>

#include "engine/error_codes.h"
#include "engine/forms.h"
#include "engine/server_class1.h"
#include "module/comma_split.h"
#include "module/field_access.h"
#include "platform/local_files.h"
#include "platform/ui/message_box.h"
#include "resources/text_id.h"
#include "server/error.h"
#include "server/names.h"

namespace orvex::engine {
namespace {

using resources::TextId;

constexpr int16_t kOverWriteNever = 1;
constexpr int16_t kOverWriteAsk = 2;
constexpr int16_t kOverWriteAlways = 3;

// The overwrite question: fixed texts, the same in every language.
constexpr char kOverwriteTitle[] = "ファイル上書きの確認";
constexpr char kOverwriteBefore[] = "このフォルダには既に\"";
constexpr char kOverwriteAfter[] = "\"ファイルが存在します。このファイルを上書きしますか？";
constexpr int32_t kOverwriteStyle = ui::kMbYesNo | ui::kMbQuestion;

// Called from a catch block: whether the failure being handled is an
// upload the host stopped through its upload progress.
bool HandlingCancel() {
  try {
    throw;
  } catch (const server::Error& e) {
    return e.number() == server::kErrCancelled;
  } catch (...) {
    return false;
  }
}

}  // namespace

bool ServerClass1::SaveFile(const std::string& Folder, const std::string& LocalFolder,
                            const std::string& File) {
  ErrorCode = kCodeNone;
  ConnectProperties* p = Connect != nullptr ? &Connect->Properties() : nullptr;
  if (p == nullptr) {
    ErrorCode = kCodeFailure;
    return false;
  }
  if (p->OverWrite < kOverWriteNever || p->OverWrite > kOverWriteAlways)
    p->OverWrite = kOverWriteNever;
  if (File.empty()) {
    ErrorCode = kCodeBadName;
    return false;
  }
  // The folder's default profile is read once for both attempts: the
  // refused first write changed nothing the profile depends on.
  UploadReads reads;
  upload_reads_ = &reads;
  struct Forget {
    UploadReads*& held;
    ~Forget() { held = nullptr; }
  } forget{upload_reads_};
  UploadCreateOption = 0;
  if (Save(Folder, LocalFolder, File)) return true;
  // The host stopped the upload: it is not tried again as a replacement.
  if (provider_failure_.number == server::kErrCancelled &&
      provider_failure_.failure_set == ErrorCode.sets())
    return false;
  // The first write failed, typically because the document exists.
  if (p->OverWrite == kOverWriteNever) {
    if (ErrorCode == kCodePermissionDenied) ErrorCode = kCodeAccessDenied;
    return false;
  }
  if (ErrorCode == kCodePermissionDenied) {
    // Refused permission stays refused: no second attempt.
    ErrorCode = kCodeAccessDenied;
    return false;
  }
  UploadCreateOption = server::kCreateOverwrite;
  return Save(Folder, LocalFolder, File);
}

bool ServerClass1::Save(const std::string& Folder, const std::string& LocalFolder,
                        const std::string& File) {
  ErrorCode = kCodeNone;
  const std::string url = PreCreateURL(kUrlWorkspaceItem, Folder, File);
  std::unique_ptr<server::Item> document;
  int16_t status = kStatusNone;
  std::string target = url;
  const ConnectProperties* p = nullptr;
  try {
    document = backend_->CreateItem(server::ItemKind::kDocument);
    p = &OwnerProperties();
    if (p->OverWrite != kOverWriteNever && UploadCreateOption == server::kCreateOverwrite) {
      DocumentRead read;
      status = ReadFileStatus(Folder, File, &read);
      if (status == kStatusCheckedIn || status == kStatusCheckedOutByOther) {
        ErrorCode = kCodeAccessDenied;
        return false;
      }
      if (p->OverWrite == kOverWriteAsk &&
          ui::MessageBox(kOverwriteBefore + File + kOverwriteAfter, kOverwriteStyle,
                         kOverwriteTitle) != ui::kAnswerYes)
        return true;
      if (status == kStatusCheckedOutByMe) {
        // This user's draft lives in the working copy: the content goes
        // there. The status check has just read the document at this URL,
        // the same answer an open of it would give, so its working copy is
        // taken from there; a check that read another URL asks again.
        std::string working_copy;
        if (read.url == url) {
          working_copy = module::FieldText(read.fields, server::kPropWorkingCopy);
        } else {
          document->Open(Bind(url, nullptr, false));
          working_copy = module::ItemFieldText(*document, server::kPropWorkingCopy);
        }
        if (!working_copy.empty()) target = working_copy;
      }
    }
    SelectFlag = true;
    if (p->ShowProfileDialog && (status == kStatusNone || status == kStatusUnknown)) {
      if (!ChangeProfile(Folder, *document, true)) return false;
    }
    // Without the dialog, or when it was cancelled, the document takes the
    // folder's default profile and the automation object's values.
    if (!p->ShowProfileDialog || !SelectFlag) {
      document->SetContentClass(UploadDefaultProfile(Folder));
      server::Fields& fields = document->GetFields();
      fields.SetValue(server::kPropAuthor, p->Author.empty() ? LoginUser : p->Author);
      fields.SetValue(server::kPropKeywords, module::SplitByComma(p->Keywords));
      fields.SetValue(server::kPropDescription, p->Description);
      fields.SetValue(server::kPropTitle, p->Title);
    }
    server::Stream& content = document->ContentStream();
    content.SetType(server::kStreamTypeBinary);
    content.SetEOS();
    content.LoadFromFile(platform::LocalFilePath(LocalFolder, File));
    content.Flush();
    if (p->ShowDialog) OwnerForms().ShowProgressText(TextId::kUploading);
  } catch (...) {
    SetErrorCode();
    return false;
  }

  // From the write on, a failure replacing an existing document still counts
  // as done; only a new document's failure is reported, and an upload the
  // host stopped through its upload progress, which left the document as
  // it was.
  try {
    server::BindArgs args = Bind(target, &cnx1(), true, UploadCreateOption);
    document->SaveTo(args);
    if (SelectFlag && p->AddCheckIn && IsVersionFolder(Folder)) {
      if (p->ShowDialog) OwnerForms().ShowProgressText(TextId::kCheckingIn);
      CheckIn(Folder, File);
      if (p->AddPublish) {
        if (p->ShowDialog) OwnerForms().ShowProgressText(TextId::kPublishing);
        Publish(Folder, File);
      }
    }
    return true;
  } catch (...) {
    if (status != kStatusNone && status != kStatusUnknown && !HandlingCancel()) return true;
    SetErrorCode();
    return false;
  }
}

std::string ServerClass1::GetFolderDefaultProfile(const std::string& Folder) {
  try {
    return ReadFolderDefaultProfile(Folder);
  } catch (...) {
    SetErrorCode();
    return "";
  }
}

std::string ServerClass1::ReadFolderDefaultProfile(const std::string& Folder) {
  auto folder = backend_->CreateItem(server::ItemKind::kDocumentFolder);
  folder->Open(Bind(CreateURL(kUrlWorkspaceItem, Folder), &cnx1(), true));
  return folder->DefaultDocumentProfile();
}

std::string ServerClass1::UploadDefaultProfile(const std::string& Folder) {
  if (upload_reads_ != nullptr && upload_reads_->default_profile)
    return *upload_reads_->default_profile;
  try {
    std::string profile = ReadFolderDefaultProfile(Folder);
    if (upload_reads_ != nullptr) upload_reads_->default_profile = profile;
    return profile;
  } catch (...) {
    SetErrorCode();
    return "";
  }
}

ConnectProperties& ServerClass1::OwnerProperties() const {
  if (Connect == nullptr) throw std::logic_error("the engine has no owning object");
  return Connect->Properties();
}

Forms& ServerClass1::OwnerForms() const {
  if (Connect == nullptr) throw std::logic_error("the engine has no owning object");
  return Connect->forms();
}

}  // namespace orvex::engine
