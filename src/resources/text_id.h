// The ids of the string table (strings.cc), each named once: the table and
// every form and operation that shows one of its texts use these names.
#ifndef ORVEX_RESOURCES_TEXT_ID_H_
#define ORVEX_RESOURCES_TEXT_ID_H_

namespace orvex::resources {

enum class TextId : int {
  kConnectingWait = 101,  // the connect progress form's text
  kUploading = 102,       // the upload's progress texts, step by step
  kCheckingIn = 103,
  kPublishing = 104,
  kSelectFolderCaption = 105,
  kSelection = 106,
  kCancel = 107,
  kOk = 108,
  kChange = 109,
  kProfileCaption = 110,
  kWorkspaceCaption = 111,
  kAdd = 112,
  kRequiredChoose = 115,  // "% field is required": a property to choose
  kConfirmPropertyTitle = 116,
  kForbiddenCharacters = 117,
  kPropertyName = 118,
  kRequiredEnter = 119,  // "% field is required": a value to enter
  kYes = 120,
  kNo = 121,
  kCreate = 122,
  kDelete = 123,
  kEnhancedFolder = 124,
  kCreateFolderCaption = 125,
  kConfirmFolderNameTitle = 126,
  kFolderName = 127,
  kConnectingCaption = 128,
  kCreateCategoryCaption = 129,
  kConfirmCategoryNameTitle = 130,
  kCategoryFolderName = 131,
  kSelectCategoryCaption = 132,
  kConfirmFolderDeleteTitle = 133,
  kAskDelete = 134,
  kDeleteFailed = 135,
  kCreatingFolderTitle = 136,
  kCreateFailed = 137,
  kConfirmCategoryDeleteTitle = 138,
  kCreatingCategoryTitle = 139,
  kNewCategoryName = 140,
  kNewFolderName = 141,
  kPreparing = 142,
  kUploadCaption = 143,
  kValue = 144,
  kRequired = 145,
};

}  // namespace orvex::resources

#endif  // ORVEX_RESOURCES_TEXT_ID_H_
