#include "automation/member_notes.h"

#include "engine/error_codes.h"

namespace orvex::automation {
namespace {

using namespace engine;  // the kCode constants

constexpr std::string_view kRowReader =
    "Reads row Index (0 to count - 1) of the list the matching Info call filled; False, with "
    "the outputs untouched, for any other Index. Reads nothing from the server.";

const std::vector<MemberNote>& Notes() {
  static const std::vector<MemberNote> notes = {
      {"SelectFolder",
       "The folder the person chose in FolderDialogA or FolderDialogB (\"Reports/2001\"); written "
       "on OK only.",
       {},
       false,
       ""},
      {"SelectWorkspace",
       "The workspace the person chose in WorkspaceDialogA or FolderDialogB; written on OK only.",
       {},
       false,
       ""},
      {"SelectCategory",
       "The category the person chose in CategoryDialogA, its levels joined by \":\" "
       "(\"Europe:France\"); written on OK only.",
       {},
       false,
       ""},
      {"Author",
       "Author value SaveFile and CheckIn write (the user's log-on name when empty).",
       {},
       false,
       ""},
      {"Title", "Title value SaveFile and CheckIn write.", {}, false, ""},
      {"Description", "Description value SaveFile and CheckIn write.", {}, false, ""},
      {"Keywords", "Keywords SaveFile and CheckIn write, several joined by \",\".", {}, false, ""},
      {"OverWrite",
       "What SaveFile does when the document exists: 1 refuses (initial), 2 asks the person, 3 "
       "replaces it. Any other value is taken as 1.",
       {},
       false,
       ""},
      {"ShowDialog",
       "True (initial): ConnectOpen and SaveFile run behind the modal progress window.",
       {},
       false,
       ""},
      {"AddCheckIn",
       "True: SaveFile checks the document in after writing it, when its folder is enhanced.",
       {},
       false,
       ""},
      {"CheckInComment", "The comment of the check-ins SaveFile and CheckIn make.", {}, false, ""},
      {"ConnectOpen",
       "Opens the default connection to HostName (a bare host name, no scheme or port) as "
       "Domain\\UserName. True when open.",
       {{kCodeBadHostName, "HostName is empty or holds / : * ? \" \\ | < >; nothing is opened"},
        {kCodeAlreadyOpen, "the default connection is already open; it stays open"},
        {kCodeFailure, "the server could not be reached (unknown host, refused, timed out)"},
        {kCodeAccessDenied, "wrong user name or password"}},
       true,
       "First call on a connection. Then SetWorkspace (names from GetWorkspaceInfo and "
       "GetWorkspace) before anything inside a workspace."},
      {"ConnectOpenEx",
       "Opens entry 0 of the connection table, as ConnectOpen does the default connection. The "
       "handle (0) when open, -1 on failure; the code is then read with GetLastErrorEx(0).",
       {{kCodeBadHostName, "HostName is empty or holds / : * ? \" \\ | < >; nothing is opened"},
        {kCodeAlreadyOpen, "entry 0 is already open"},
        {kCodeFailure, "the server could not be reached (unknown host, refused, timed out)"},
        {kCodeAccessDenied, "wrong user name or password"}},
       true,
       "First call on entry 0; the Ex forms then take the handle it returned."},
      {"ConnectClose",
       "Closes the default connection and forgets it; the next plain call finds no connection.",
       {},
       false,
       ""},
      {"ConnectCloseEx",
       "Closes entry Handle of the connection table. False when the entry was never opened.",
       {},
       false,
       ""},
      {"GetLastError",
       "The error code the default connection's last failing operation left (1 before any "
       "ConnectOpen). Reading it after a failed ConnectOpen gives that failure's code once.",
       {},
       false,
       "Read right after the call whose result said it failed."},
      {"GetLastErrorEx",
       "The error code entry Handle of the connection table left.",
       {},
       false,
       "Read right after the Ex call whose result said it failed."},
      {"GetProfile", kRowReader, {}, false, "After GetProfileInfo."},
      {"SetWorkspace",
       "Makes Workspace the connection's current workspace; every operation inside a workspace "
       "works on it. True when opened.",
       {{kCodeWorkspaceFailed,
         "the name is empty or holds / : * ? \" \\ | < >, or the workspace could not be opened; "
         "no workspace is current afterwards"},
        {kCodeBadHostName, "SetWorkspaceEx only: Workspace is empty"}},
       true,
       "After ConnectOpen. May be called again at any time to switch workspaces."},
      {"GetProfileInfo",
       "Lists the document profiles Folder offers (\"\" for the workspace's top) that the "
       "workspace knows; refreshes the workspace's profile list on the way. The count, or -1.",
       {{kCodeBadName, "Folder holds : * ? \" \\ | < >"}},
       true,
       "Inside a workspace. Then GetProfile(0 .. count - 1)."},
      {"GetWorkspaceInfo",
       "Lists the server's workspaces. The count, or -1.",
       {{kCodeFailure, "the listing failed; the rows read before the failure stay readable"}},
       false,
       "After ConnectOpen. Then GetWorkspace(0 .. count - 1)."},
      {"GetWorkspace", kRowReader, {}, false, "After GetWorkspaceInfo."},
      {"GetCategoryInfo",
       "Lists the category folders directly under Folder (\"\" for the categories folder, "
       "\"Europe/France\" below it). The count, or -1.",
       {},
       true,
       "Inside a workspace. Then GetCategory(0 .. count - 1)."},
      {"CreateCategory",
       "Creates Category (\"Europe/France\") inside its existing parent, one level per call.",
       {{kCodeBadPath, "Category is empty or holds : * ? \" \\ | < >"}},
       true,
       "Inside a workspace."},
      {"DeleteCategory",
       "Deletes Category with everything below it.",
       {{kCodeBadPath, "Category is empty or holds : * ? \" \\ | < >"}},
       true,
       "Inside a workspace."},
      {"GetPropertyInfo",
       "Lists the property definitions of the profile titled Profile, in the profile's order. "
       "The count, or -1.",
       {{kCodeProfileNotFound,
         "no profile of that title is in the workspace's profile list (filled by "
         "GetDocProfileInfo or GetProfileInfo)"}},
       true,
       "After GetDocProfileInfo or GetProfileInfo, whose titles it looks Profile up in. Then "
       "GetProperty(0 .. count - 1)."},
      {"GetProperty",
       "Reads row Index of the property definitions GetPropertyInfo listed. ListProperty is 1 "
       "(multi-valued, restricted to ListData), 2 (multi-valued), 3 (restricted) or 4 (free). "
       "False, with the outputs untouched, outside 0 to count - 1.",
       {},
       false,
       "After GetPropertyInfo."},
      {"GetDocProfileInfo",
       "Lists every document profile of the current workspace, by title. The count, or -1.",
       {},
       true,
       "Inside a workspace. Then GetDocProfile(0 .. count - 1)."},
      {"GetDefaultProfile",
       "The id of the default profile of folder strFolderPath (\"\" for the workspace's top); "
       "\"\" on failure.",
       {{kCodeBadName, "strFolderPath holds : * ? \" \\ | < >"}},
       true,
       "Inside a workspace."},
      {"IsVersionFolder",
       "True when Folder is in the workspace's folder tree and enhanced (keeps versions and "
       "publishing states).",
       {{kCodeNone, "the answer is the folder's (True or False)"},
        {kCodeBadName, "Folder is empty or holds : * ? \" \\ | < >"},
        {kCodeNotFound, "Folder is not in the workspace's folder tree"}},
       true,
       "Inside a workspace."},
      {"GetDocFolderInfo",
       "Lists the enhanced and standard subfolders of Folder (\"\" for the workspace's top). "
       "The count, or -1.",
       {{kCodeBadPath, "Folder holds : * ? \" \\ | < >"}},
       true,
       "Inside a workspace. Then GetDocFolder(0 .. count - 1)."},
      {"DeleteFolder",
       "Deletes Folder with everything in it.",
       {{kCodeBadPath, "Folder is empty or holds : * ? \" \\ | < >"}},
       true,
       "Inside a workspace."},
      {"GetDocProfile", kRowReader, {}, false, "After GetDocProfileInfo."},
      {"GetCategory", kRowReader, {}, false, "After GetCategoryInfo."},
      {"GetDocFolder", kRowReader, {}, false, "After GetDocFolderInfo."},
      {"GetFileInfo",
       "Lists the documents of Folder (\"\" for the workspace's top) with their read-only flag, "
       "status and stored property values; hidden documents are left out. The count, or -1.",
       {},
       true,
       "Inside a workspace. Then GetFileData(0 .. count - 1) for the rows and "
       "GetFileContentInfo(i) for the values of row i."},
      {"GetFileData",
       "Reads row Index of the document listing: the document's name, read-only flag and "
       "status (see Status codes). False, with the outputs untouched, outside 0 to count - 1.",
       {},
       false,
       "After GetFileInfo."},
      {"GetFileContentInfo",
       "Selects document Index of the listing for GetFileContent: writes the title of its "
       "profile into Profile and returns its number of values.",
       {{kCodeFailure, "Index is outside 0 to count - 1 of the last GetFileInfo"}},
       false,
       "After GetFileInfo; after GetDocProfileInfo too, or Profile comes back \"\" (titles are "
       "looked up in the workspace's profile list). Then GetFileContent(0 .. values - 1)."},
      {"GetFileContent",
       "Reads value Index of the document GetFileContentInfo selected: the property's title, "
       "whether it is multi-valued, and the value (several joined by \",\"). Keep Index below "
       "GetFileContentInfo's count: a row past it may read the next document's values.",
       {},
       false,
       "After GetFileContentInfo."},
      {"CreateFolder",
       "Creates Folder inside its existing parent; an enhanced folder when Version is True.",
       {{kCodeBadPath, "Folder is empty or holds : * ? \" \\ | < >"}},
       true,
       "Inside a workspace."},
      {"DeleteFile",
       "Deletes document File of Folder.",
       {{kCodeBadPath, "Folder is empty or holds : * ? \" \\ | < >, or File is not a valid name"}},
       true,
       "Inside a workspace. False with the code as it was when the document's state does not "
       "allow deleting it."},
      {"GetHistoryInfo",
       "Lists the versions of document File of Folder (\"\" for the workspace's top) in the "
       "server's order; a document without versions gives 0. The count, or -1.",
       {{kCodeBadName, "File is not a valid name, Folder not a valid path, or no workspace"}},
       true,
       "Inside a workspace. Then GetHistory(0 .. count - 1)."},
      {"GetHistory", kRowReader, {}, false, "After GetHistoryInfo."},
      {"SaveFile",
       "Uploads the local file LocalFolder/File as document File of Folder, by OverWrite; writes "
       "the profile and the values (Author, Title, Description, Keywords, or the profile "
       "dialog's with ShowProfileDialog), then checks it in (AddCheckIn) and publishes it "
       "(AddPublish). True when written, and when the person declined to replace it.",
       {{kCodeNone, "reset at the start"},
        {kCodeBadName, "File is empty"},
        {kCodeAlreadyExists, "the document exists and OverWrite is 1"},
        {kCodeAccessDenied,
         "the server refused the write, or the document exists and its state does not allow "
         "replacing it (checked out by someone else)"},
        {kCodeFileRead, "the local file could not be read"}},
       true,
       "Inside a workspace."},
      {"CheckIn",
       "Checks in document File of Folder, which this user has checked out, with "
       "CheckInComment; writes the values first, as SaveFile does.",
       {{kCodeStateRefused, "the document has no publishing state (its folder is standard)"},
        {kCodeAccessDenied,
         "the document is not checked out by this user, or the server does not allow check-in"}},
       true,
       "Inside a workspace; after CheckOut (or an upload that left it checked out)."},
      {"CheckOut",
       "Checks out document File of Folder for this user.",
       {{kCodeAccessDenied, "somebody has it checked out already"},
        {kCodeStateRefused, "the document has no publishing state (its folder is standard)"}},
       true,
       "Inside a workspace."},
      {"WorkspaceDialogA",
       "Shows the workspace selection dialog; True when the person chose one (then in "
       "SelectWorkspace). The current workspace does not change.",
       {{kCodeNone, "reset when the dialog opens"}},
       true,
       "After ConnectOpen."},
      {"FolderDialogB",
       "Shows the folder dialog across every workspace the user can open; True when the person "
       "chose a folder (then in SelectWorkspace and SelectFolder). The current workspace is "
       "current again afterwards.",
       {{kCodeNone, "reset when the dialog opens"}, {kCodeFailure, "no workspace could be listed"}},
       true,
       "After ConnectOpen."},
      {"FolderDialogA",
       "Shows the folder selection dialog of the current workspace; True when the person chose "
       "a folder (then in SelectFolder). The person may create and delete folders in it.",
       {{kCodeNone, "reset when the dialog opens"}},
       true,
       "Inside a workspace."},
      {"Publish",
       "Publishes (approves) document File of Folder.",
       {},
       true,
       "Inside a workspace; the document checked in."},
      {"CategoryDialogA",
       "Shows the category selection dialog; True when the person chose a category (then in "
       "SelectCategory). The person may create and delete categories in it.",
       {{kCodeNone, "reset when the dialog opens"}},
       true,
       "Inside a workspace."},
      {"ChangeFolderName",
       "Renames top-level folder OldFolder to NewFolder.",
       {{kCodeBadName, "either name is empty or holds / : * ? \" \\ | < >"}},
       true,
       "Inside a workspace."},
      {"ChangeFileName",
       "Renames document OldFileName of Folder to NewFileName; the result is a Boolean.",
       {{kCodeBadName, "either name is empty or holds / : * ? \" \\ | < >"}},
       true,
       "Inside a workspace."},
      {"ChangeCategoryName",
       "Renames top-level category OldCategory to NewCategory.",
       {{kCodeBadName, "either name is empty or holds / : * ? \" \\ | < >"}},
       true,
       "Inside a workspace."},
      {"ShowProfileDialog",
       "True: SaveFile and CheckIn show the profile dialog for the profile and values instead "
       "of writing Author, Title, Description and Keywords.",
       {},
       false,
       ""},
      {"AddPublish", "True: SaveFile publishes the document after checking it in.", {}, false, ""},
      {"IsFileStatus",
       "The status of document File of Folder (a folder path, or a folder URL beginning with "
       "\"http://\"); see Status codes. -1 on failure.",
       {{kCodeNone, "-1 because Folder holds no document of that name"},
        {kCodeBadName, "File is empty or holds / : * ? \" \\ | < >"}},
       true,
       "Inside a workspace."},
      {"CheckSPPS",
       "True when the server's client components are registered on this computer (the "
       "registry file).",
       {},
       false,
       ""},
  };
  return notes;
}

}  // namespace

std::span<const MemberNote> MemberNotes() { return Notes(); }

const MemberNote* FindMemberNote(std::string_view name) {
  for (const MemberNote& n : Notes())
    if (n.name == name) return &n;
  return nullptr;
}

}  // namespace orvex::automation
