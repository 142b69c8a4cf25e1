// The protocol's names, as both ends speak them: XML namespaces, the
// namespaces of typed values, content classes, property local names and the
// full property names ("DAV:displayname") the provider's callers use.
#ifndef ORVEX_WIRE_NAMES_H_
#define ORVEX_WIRE_NAMES_H_

namespace orvex::wire {
inline namespace names {

// Property namespaces.
inline constexpr char kDav[] = "DAV:";
inline constexpr char kOfficeNs[] = "urn:schemas-microsoft-com:office:office";
inline constexpr char kPublishingNs[] = "urn:schemas-microsoft-com:publishing:";
inline constexpr char kExchDataNs[] = "urn:schemas-microsoft-com:exch-data:";
inline constexpr char kWorkspaceNs[] = "urn:schemas-microsoft-com:workspace";

// Typed values: the namespace of the attribute "dt" that names a value's
// type, and the namespace of the "v" elements holding the values of a
// multi-valued property.
inline constexpr char kTypesNs[] = "urn:uuid:c2f41010-65b3-11d1-a29f-00aa00c14882/";
inline constexpr char kValuesNs[] = "xml:";

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

// Publishing states: the values of kDocumentState. A document is created,
// checked out of it or of a checked-in version, checked in, and approved
// once published.
inline constexpr char kStateCreated[] = "created";
inline constexpr char kStateCheckedIn[] = "createdcheckedin";
inline constexpr char kStateCheckedOut[] = "createdcheckedout";
inline constexpr char kStateApproved[] = "approved";

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

// Full names (namespace and local name joined, see property_name.h).
inline constexpr char kPropHref[] = "DAV:href";
inline constexpr char kPropDisplayName[] = "DAV:displayname";
inline constexpr char kPropParentName[] = "DAV:parentname";
inline constexpr char kPropIsReadOnly[] = "DAV:isreadonly";
inline constexpr char kPropIsHidden[] = "DAV:ishidden";
inline constexpr char kPropIsCollection[] = "DAV:iscollection";
inline constexpr char kPropResourceType[] = "DAV:resourcetype";
inline constexpr char kPropContentClass[] = "DAV:contentclass";
inline constexpr char kPropHasChildren[] = "DAV:haschildren";
inline constexpr char kPropHasSubs[] = "DAV:hassubs";
inline constexpr char kPropCategoriesFolder[] =
    "urn:schemas-microsoft-com:workspace#CategoriesFolder";
inline constexpr char kPropSchemaCollectionRef[] =
    "urn:schemas-microsoft-com:exch-data:schema-collection-ref";
inline constexpr char kPropDefaultContentClass[] =
    "urn:schemas-microsoft-com:exch-data:defaultContentClass";
inline constexpr char kPropDocumentProfiles[] =
    "urn:schemas-microsoft-com:publishing:DocumentProfiles";
inline constexpr char kPropDefaultDocumentProfile[] =
    "urn:schemas-microsoft-com:publishing:DefaultDocumentProfile";
inline constexpr char kPropIsCheckedOut[] = "urn:schemas-microsoft-com:publishing:IsCheckedOut";
inline constexpr char kPropCheckedOutBy[] = "urn:schemas-microsoft-com:publishing:checkedoutby";
inline constexpr char kPropDocumentState[] = "urn:schemas-microsoft-com:publishing:documentstate";
inline constexpr char kPropIsHiddenInPortal[] =
    "urn:schemas-microsoft-com:publishing:IsHiddenInPortal";
inline constexpr char kPropWorkingCopy[] = "urn:schemas-microsoft-com:publishing:WorkingCopy";
inline constexpr char kPropOperationsAllowed[] =
    "urn:schemas-microsoft-com:publishing:operationsallowed";
inline constexpr char kPropDescription[] = "urn:schemas-microsoft-com:office:office#Description";
inline constexpr char kPropAuthor[] = "urn:schemas-microsoft-com:office:office#Author";
inline constexpr char kPropTitle[] = "urn:schemas-microsoft-com:office:office#Title";
inline constexpr char kPropKeywords[] = "urn:schemas-microsoft-com:office:office#Keywords";

}  // namespace names
}  // namespace orvex::wire

#endif  // ORVEX_WIRE_NAMES_H_
