#include "engine/error_text.h"

#include <array>

#include "engine/error_codes.h"
#include "platform/language.h"

namespace orvex::engine {
namespace {

constexpr std::array<CodeText, 16> kErrors{{
    {kCodeNone, "No error.", "エラーはありません。"},
    {kCodeNotConnected,
     "Not connected: the connection has not been opened (or was closed), or the handle is not 0.",
     "接続されていません。接続が開かれていないか閉じられているか、ハンドルが 0 ではありません。"},
    {kCodeAlreadyOpen, "The connection is already open.", "接続はすでに開かれています。"},
    {kCodeNoWorkspace, "No current workspace: call SetWorkspace after ConnectOpen.",
     "現在のワークスペースがありません。ConnectOpen の後に SetWorkspace を呼んでください。"},
    {kCodeBadPath, "A folder or category path is not valid (empty, or holds : * ? \" \\ | < >).",
     "フォルダまたはカテゴリのパスが正しくありません (空、または : * ? \" \\ | < > を含む)。"},
    {kCodeBadName, "A name is not valid (empty, or holds / : * ? \" \\ | < >).",
     "名前が正しくありません (空、または / : * ? \" \\ | < > を含む)。"},
    {kCodeProfileNotFound, "The profile is not one of the workspace's profiles.",
     "プロファイルがワークスペースのプロファイルにありません。"},
    {kCodeFailure,
     "The server could not be reached or the request failed (no answer, an unexpected status, "
     "an answer that could not be read, or a value out of range).",
     "サーバーに接続できないか、要求が失敗しました "
     "(応答なし、想定外の状態、読めない応答、範囲外の値)。"},
    {kCodeBadHostName, "The host name is not valid (empty, or holds / : * ? \" \\ | < >).",
     "ホスト名が正しくありません (空、または / : * ? \" \\ | < > を含む)。"},
    {kCodeWorkspaceFailed, "The workspace could not be opened (bad name, or not on the server).",
     "ワークスペースを開けませんでした (名前が正しくないか、サーバーにありません)。"},
    {kCodePermissionDenied, "The server denied permission for this request.",
     "サーバーがこの要求の許可を拒否しました。"},
    {kCodeAlreadyExists, "The item already exists, or a condition of the write did not hold.",
     "項目はすでに存在するか、書き込みの条件が満たされませんでした。"},
    {kCodeAccessDenied,
     "Access denied: wrong user name or password, the item is locked or checked out by someone "
     "else, or its state does not allow the operation.",
     "アクセスが拒否されました。ユーザー名かパスワードが違うか、項目がロックまたは他のユーザーに"
     "チェックアウトされているか、状態がこの操作を許しません。"},
    {kCodeNotFound, "The item (or the folder above it) was not found.",
     "項目 (またはその上のフォルダ) が見つかりません。"},
    {kCodeFileRead, "The local file could not be read.", "ローカルファイルを読めませんでした。"},
    {kCodeStateRefused,
     "The document's state does not allow check-in or check-out (it has no publishing state).",
     "ドキュメントの状態がチェックインまたはチェックアウトを許しません (公開状態がありません)。"},
}};

constexpr std::array<CodeText, 7> kStatuses{{
    {-1, "no such document, or its status could not be read",
     "ドキュメントがないか、状態を読めませんでした"},
    {0, "no publishing state (a standard folder's document)",
     "公開状態なし (標準フォルダのドキュメント)"},
    {1, "checked in", "チェックイン済み"},
    {2, "checked out by another user", "他のユーザーがチェックアウト中"},
    {3, "approved (published)", "承認済み (公開)"},
    {4, "created, not checked in yet", "作成済み (未チェックイン)"},
    {5, "checked out by this user", "このユーザーがチェックアウト中"},
}};

}  // namespace

std::span<const CodeText> ErrorCodeTexts() { return kErrors; }
std::span<const CodeText> StatusCodeTexts() { return kStatuses; }

std::string ErrorTextOf(int32_t code, int language) {
  const bool japanese = language == platform::kLangJapanese;
  for (const CodeText& e : kErrors)
    if (e.code == code) return std::string(japanese ? e.japanese : e.english);
  return (japanese ? "不明なエラーコード " : "Unknown error code ") + std::to_string(code);
}

}  // namespace orvex::engine
