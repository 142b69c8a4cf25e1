#include "resources/strings.h"

#include <array>
#include <string_view>

#include "platform/language.h"

namespace orvex::resources {
namespace {

struct Entry {
  TextId id;
  std::string_view english;
  std::string_view japanese;
};

// The characters a name may not hold, as the name notices list them.
#define ORVEX_FORBIDDEN ":*?<>\\|/\""

constexpr std::array<Entry, 43> kTable{{
    {TextId::kConnectingWait, "Now Connecting... Please wait for a moment.",
     "接続しています。しばらくお待ち下さい..."},
    {TextId::kUploading, "Now uploading...", "ファイルのアップロード中..."},
    {TextId::kCheckingIn, "Now Checkin...", "ファイルのチェックイン中..."},
    {TextId::kPublishing, "Now Publish...", "ファイルの公開中..."},
    {TextId::kSelectFolderCaption, "Select Folder", "フォルダ選択ダイアログ"},
    {TextId::kSelection, "Selection", "選択"},
    {TextId::kCancel, "Cancel", "キャンセル"},
    {TextId::kOk, "OK", "OK"},
    {TextId::kChange, "Change", "変更"},
    {TextId::kProfileCaption, "Profile", "プロファイル設定ダイアログ"},
    {TextId::kWorkspaceCaption, "Workspace", "ワークスペース選択ダイアログ"},
    {TextId::kAdd, "Add", "追加"},
    {TextId::kRequiredChoose, "% field is required. Please enter.",
     "%は必須項目です。選択して下さい。"},
    {TextId::kConfirmPropertyTitle, "Confirm Property", "プロパティ追加の確認"},
    {TextId::kForbiddenCharacters,
     ORVEX_FORBIDDEN " is not acceptable for % field. Please change and try again.",
     "%に" ORVEX_FORBIDDEN " は使用できません。変更して下さい。"},
    {TextId::kPropertyName, "Property Name", "プロパティ名"},
    {TextId::kRequiredEnter, "% field is required. Please enter.",
     "%は必須項目です。値を入力してください。"},
    {TextId::kYes, "Yes", "はい"},
    {TextId::kNo, "No", "いいえ"},
    {TextId::kCreate, "Create", "作成"},
    {TextId::kDelete, "Delete", "削除"},
    {TextId::kEnhancedFolder, "Enhanced Folder", "拡張フォルダを使用する"},
    {TextId::kCreateFolderCaption, "Create Folder", "フォルダ作成ダイアログ"},
    {TextId::kConfirmFolderNameTitle, "Confirm file name", "フォルダ名の確認"},
    {TextId::kFolderName, "Folder Name", "フォルダ名"},
    {TextId::kConnectingCaption, "Connecting", "接続中"},
    {TextId::kCreateCategoryCaption, "Category Folder", "カテゴリフォルダ作成ダイアログ"},
    {TextId::kConfirmCategoryNameTitle, "confirmation to Name of Category Folder ",
     "カテゴリフォルダ名の確認"},
    {TextId::kCategoryFolderName, "Category Folder Name", "カテゴリフォルダ名"},
    {TextId::kSelectCategoryCaption, "Category Folder", "カテゴリフォルダ選択ダイアログ"},
    {TextId::kConfirmFolderDeleteTitle, "Confirm the deleteing", "フォルダ削除の確認"},
    {TextId::kAskDelete, "% is deleting.", "%を削除しますか？"},
    {TextId::kDeleteFailed, "It is failure to delete %", "%の削除に失敗しました。"},
    {TextId::kCreatingFolderTitle, "Creating Folder", "フォルダの作成"},
    {TextId::kCreateFailed, "The creating of % is failed.", "%の作成に失敗しました。"},
    {TextId::kConfirmCategoryDeleteTitle, "confirmation to Delete Category Folder",
     "カテゴリフォルダ削除の確認"},
    {TextId::kCreatingCategoryTitle, "Create Category folder", "カテゴリフォルダの作成"},
    {TextId::kNewCategoryName, "New Category Name", "新規カテゴリフォルダ名"},
    {TextId::kNewFolderName, "New Folder Name", "新規フォルダ名"},
    {TextId::kPreparing, "Prepareing...", "準備中..."},
    {TextId::kUploadCaption, "File Upload", "ファイルのアップロード"},
    {TextId::kValue, "Value", "値"},
    {TextId::kRequired, "Required", "必須"},
}};

#undef ORVEX_FORBIDDEN

}  // namespace

std::string LoadString(TextId id, int language) {
  for (const Entry& e : kTable) {
    if (e.id == id)
      return std::string(language == platform::kLangJapanese ? e.japanese : e.english);
  }
  return {};
}

std::string LoadString(TextId id) { return LoadString(id, platform::ThreadLanguage()); }

std::string ReplacePercent(const std::string& text, const std::string& name) {
  std::string out;
  for (char c : text) {
    if (c == '%')
      out += name;
    else
      out += c;
  }
  return out;
}

}  // namespace orvex::resources
