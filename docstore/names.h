// Property names and content classes the store holds and answers.
#ifndef ORVEX_DOCSTORE_NAMES_H_
#define ORVEX_DOCSTORE_NAMES_H_

namespace orvex::docstore {

inline constexpr char kDav[] = "DAV:";
inline constexpr char kOfficeNs[] = "urn:schemas-microsoft-com:office:office";
inline constexpr char kPublishingNs[] = "urn:schemas-microsoft-com:publishing:";
inline constexpr char kExchDataNs[] = "urn:schemas-microsoft-com:exch-data:";
inline constexpr char kWorkspaceNs[] = "urn:schemas-microsoft-com:workspace";

// Content classes.
inline constexpr char kClassWorkspace[] = "urn:content-classes:workspace";
inline constexpr char kClassSmartFolder[] = "urn:content-classes:smartfolder";
inline constexpr char kClassKnowledgeFolder[] = "urn:content-classes:knowledgefolder";
inline constexpr char kClassCategoryFolder[] = "urn:content-classes:categoryfolder";
inline constexpr char kClassFolder[] = "urn:content-classes:folder";
inline constexpr char kClassDocument[] = "urn:content-classes:document";
inline constexpr char kClassContentClassDef[] = "urn:content-classes:contentclassdef";
inline constexpr char kClassPropertyDef[] = "urn:content-classes:propertydef";
inline constexpr char kClassDictionary[] = "urn:content-classes:dictionary";
inline constexpr char kClassVersion[] = "urn:content-classes:version";

// Local names in kPublishingNs.
inline constexpr char kIsCheckedOut[] = "IsCheckedOut";
inline constexpr char kCheckedOutBy[] = "checkedoutby";
inline constexpr char kDocumentState[] = "documentstate";
inline constexpr char kIsHiddenInPortal[] = "IsHiddenInPortal";
inline constexpr char kWorkingCopy[] = "WorkingCopy";
inline constexpr char kOperationsAllowed[] = "operationsallowed";
inline constexpr char kFriendlyVersionId[] = "FriendlyVersionID";
inline constexpr char kComment[] = "Comment";
inline constexpr char kCreatedTimeStamp[] = "CreatedTimeStamp";
inline constexpr char kDomain[] = "Domain";
inline constexpr char kUser[] = "User";
inline constexpr char kPropertyOrder[] = "propertyorder";
inline constexpr char kExtendedType[] = "extended-type";
inline constexpr char kDictionaryValues[] = "dictionaryvalues";
inline constexpr char kIsRestricted[] = "isrestricted";
inline constexpr char kDocumentProfiles[] = "DocumentProfiles";
inline constexpr char kDefaultDocumentProfile[] = "DefaultDocumentProfile";

// Local names in kExchDataNs.
inline constexpr char kSchemaCollectionRef[] = "schema-collection-ref";
inline constexpr char kDefaultContentClass[] = "defaultContentClass";
inline constexpr char kIsMultivalued[] = "ismultivalued";
inline constexpr char kDictionary[] = "dictionary";
inline constexpr char kIsRetrieved[] = "isretrieved";
inline constexpr char kIsRequired[] = "isrequired";
inline constexpr char kDataType[] = "type";

// Local names in kWorkspaceNs.
inline constexpr char kCategoriesFolder[] = "CategoriesFolder";

// Publishing states.
inline constexpr char kStateCreated[] = "created";
inline constexpr char kStateCheckedIn[] = "createdcheckedin";
inline constexpr char kStateCheckedOut[] = "createdcheckedout";
inline constexpr char kStateApproved[] = "approved";

// Paths outside every workspace.
inline constexpr char kWorkspaceListPath[] = "/Public/Workspaces";
inline constexpr char kWorkingCopiesPath[] = "/.working";
inline constexpr char kVersionsPath[] = "/.versions";

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_NAMES_H_
