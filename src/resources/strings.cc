#include "resources/strings.h"

#include <array>
#include <string_view>

#include "platform/language.h"

namespace orvex::resources {
namespace {

struct Entry {
  int id;
  std::string_view english;
  std::string_view japanese;
};

// The characters a name may not hold, as the name notices list them.
#define ORVEX_FORBIDDEN ":*?<>\\|/\""

constexpr std::array<Entry, 43> kTable{{
    {101, "Now Connecting... Please wait for a moment.", "接続しています。しばらくお待ち下さい..."},
    {102, "Now uploading...", "ファイルのアップロード中..."},
    {103, "Now Checkin...", "ファイルのチェックイン中..."},
    {104, "Now Publish...", "ファイルの公開中..."},
    {105, "Select Folder", "フォルダ選択ダイアログ"},
    {106, "Selection", "選択"},
    {107, "Cancel", "キャンセル"},
    {108, "OK", "OK"},
    {109, "Change", "変更"},
    {110, "Profile", "プロファイル設定ダイアログ"},
    {111, "Workspace", "ワークスペース選択ダイアログ"},
    {112, "Add", "追加"},
    {115, "% field is required. Please enter.", "%は必須項目です。選択して下さい。"},
    {116, "Confirm Property", "プロパティ追加の確認"},
    {117, ORVEX_FORBIDDEN " is not acceptable for % field. Please change and try again.",
     "%に" ORVEX_FORBIDDEN " は使用できません。変更して下さい。"},
    {118, "Property Name", "プロパティ名"},
    {119, "% field is required. Please enter.", "%は必須項目です。値を入力してください。"},
    {120, "Yes", "はい"},
    {121, "No", "いいえ"},
    {122, "Create", "作成"},
    {123, "Delete", "削除"},
    {124, "Enhanced Folder", "拡張フォルダを使用する"},
    {125, "Create Folder", "フォルダ作成ダイアログ"},
    {126, "Confirm file name", "フォルダ名の確認"},
    {127, "Folder Name", "フォルダ名"},
    {128, "Connecting", "接続中"},
    {129, "Category Folder", "カテゴリフォルダ作成ダイアログ"},
    {130, "confirmation to Name of Category Folder ", "カテゴリフォルダ名の確認"},
    {131, "Category Folder Name", "カテゴリフォルダ名"},
    {132, "Category Folder", "カテゴリフォルダ選択ダイアログ"},
    {133, "Confirm the deleteing", "フォルダ削除の確認"},
    {134, "% is deleting.", "%を削除しますか？"},
    {135, "It is failure to delete %", "%の削除に失敗しました。"},
    {136, "Creating Folder", "フォルダの作成"},
    {137, "The creating of % is failed.", "%の作成に失敗しました。"},
    {138, "confirmation to Delete Category Folder", "カテゴリフォルダ削除の確認"},
    {139, "Create Category folder", "カテゴリフォルダの作成"},
    {140, "New Category Name", "新規カテゴリフォルダ名"},
    {141, "New Folder Name", "新規フォルダ名"},
    {142, "Prepareing...", "準備中..."},
    {143, "File Upload", "ファイルのアップロード"},
    {144, "Value", "値"},
    {145, "Required", "必須"},
}};

#undef ORVEX_FORBIDDEN

}  // namespace

std::string LoadString(int id, int language) {
  for (const Entry& e : kTable) {
    if (e.id == id)
      return std::string(language == platform::kLangJapanese ? e.japanese : e.english);
  }
  return {};
}

std::string LoadString(int id) { return LoadString(id, platform::ThreadLanguage()); }

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
