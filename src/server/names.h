// The property names and content classes of the document store, as the
// engine reads and writes them.
#ifndef ORVEX_SERVER_NAMES_H_
#define ORVEX_SERVER_NAMES_H_

namespace orvex::server {

// Resource columns every row and item carries.
inline constexpr char kColParseName[] = "RESOURCE_PARSENAME";
inline constexpr char kColAbsoluteParseName[] = "RESOURCE_ABSOLUTEPARSENAME";
inline constexpr char kColContentClass[] = "RESOURCE_CONTENTCLASS";
inline constexpr char kColDisplayName[] = "RESOURCE_DISPLAYNAME";
inline constexpr char kColIsReadOnly[] = "RESOURCE_ISREADONLY";
inline constexpr char kColIsHidden[] = "RESOURCE_ISHIDDEN";
inline constexpr char kColIsCollection[] = "RESOURCE_ISCOLLECTION";

// DAV properties.
inline constexpr char kPropHref[] = "DAV:href";
inline constexpr char kPropDisplayName[] = "DAV:displayname";
inline constexpr char kPropListDisplayName[] = "DAV:Displayname";
inline constexpr char kPropParentName[] = "DAV:parentname";
inline constexpr char kPropIsReadOnly[] = "DAV:isreadonly";
inline constexpr char kPropIsHidden[] = "DAV:ishidden";
inline constexpr char kPropIsCollection[] = "DAV:iscollection";
inline constexpr char kPropContentClass[] = "DAV:contentclass";
inline constexpr char kPropHasChildren[] = "DAV:haschildren";
inline constexpr char kPropHasSubs[] = "DAV:hassubs";

// Workspace settings.
inline constexpr char kPropCategoriesFolder[] =
    "urn:schemas-microsoft-com:workspace#CategoriesFolder";
inline constexpr char kPropSchemaCollectionRef[] =
    "urn:schemas-microsoft-com:exch-data:schema-collection-ref";
inline constexpr char kPropDefaultContentClass[] =
    "urn:schemas-microsoft-com:exch-data:defaultContentClass";

// Document profiles offered by a folder, and the workspace's own list.
inline constexpr char kPropDocumentProfiles[] =
    "urn:schemas-microsoft-com:publishing:DocumentProfiles";
inline constexpr char kPropDefaultDocumentProfile[] =
    "urn:schemas-microsoft-com:publishing:DefaultDocumentProfile";

// Publishing state of a document.
inline constexpr char kPropIsCheckedOut[] = "urn:schemas-microsoft-com:publishing:IsCheckedOut";
inline constexpr char kPropCheckedOutBy[] = "urn:schemas-microsoft-com:publishing:checkedoutby";
inline constexpr char kPropDocumentState[] = "urn:schemas-microsoft-com:publishing:documentstate";
inline constexpr char kPropIsHiddenInPortal[] =
    "urn:schemas-microsoft-com:publishing:IsHiddenInPortal";

// Office document properties.
inline constexpr char kPropDescription[] = "urn:schemas-microsoft-com:office:office#Description";
inline constexpr char kPropAuthor[] = "urn:schemas-microsoft-com:office:office#Author";
inline constexpr char kPropTitle[] = "urn:schemas-microsoft-com:office:office#Title";
inline constexpr char kPropKeywords[] = "urn:schemas-microsoft-com:office:office#Keywords";

// Documents in the publishing life cycle.
inline constexpr char kPropWorkingCopy[] = "urn:schemas-microsoft-com:publishing:WorkingCopy";
inline constexpr char kPropOperationsAllowed[] =
    "urn:schemas-microsoft-com:publishing:operationsallowed";
// Content classes.
inline constexpr char kClassSmartFolder[] = "urn:content-classes:smartfolder";
inline constexpr char kClassKnowledgeFolder[] = "urn:content-classes:knowledgefolder";
inline constexpr char kClassWorkspace[] = "urn:content-classes:workspace";
inline constexpr char kClassCategoryFolder[] = "urn:content-classes:categoryfolder";

// Properties of a version in a document's history.
inline constexpr char kPropFriendlyVersionID[] =
    "urn:schemas-microsoft-com:publishing:FriendlyVersionID";
inline constexpr char kPropVersionComment[] = "urn:schemas-microsoft-com:publishing:Comment";
inline constexpr char kPropCreatedTimeStamp[] =
    "urn:schemas-microsoft-com:publishing:CreatedTimeStamp";
inline constexpr char kPropVersionDomain[] = "urn:schemas-microsoft-com:publishing:Domain";
inline constexpr char kPropVersionUser[] = "urn:schemas-microsoft-com:publishing:User";

}  // namespace orvex::server

#endif  // ORVEX_SERVER_NAMES_H_
