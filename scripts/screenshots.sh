#!/usr/bin/env bash
# Refreshes the pictures of the dialogs in docs/images: runs ui_screenshots
# (built in BUILD, default build/) and copies the pictures the docs show,
# in English and Japanese, under their documentation names.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
"$build/tests/ui/ui_screenshots" "$shots"

# picture of ui_screenshots -> docs/images/ui-NAME-LANG.png
pictures=(
  001-ConnectDialog:progress-connect
  002-ConnectDialog:progress-upload
  FolderDlgA-used:folder
  DocFolderDlgA-used:folder-name
  005-msgbox:folder-bad-name
  006-msgbox:folder-delete
  WorkspaceDlgA-used:workspace
  FolderDlgB-used:folder-across
  CategoryDlgA-used:category
  CatFolderDlgA-used:category-name
  012-msgbox:category-delete
  013-ProfileDlg:profile
  014-PropertyEditDlg:property-edit
  015-PropertyListDlg:property-list
  016-PropertyCmbDlg:property-cmb
  017-PropertyCommentDlg:property-comment
  018-msgbox:msgbox-48
)
for language in en ja; do
  for pair in "${pictures[@]}"; do
    cp "$shots/$language/${pair%%:*}.png" "docs/images/ui-${pair##*:}-$language.png"
  done
done
