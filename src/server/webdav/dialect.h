// Server dialects: what the server at the other end of a host speaks.
//
// `portal` (the default) is the full protocol (docs/protocol.md): the
// publishing and schema vocabulary, served by the docstore. `webdav` is a
// plain WebDAV server (RFC 4918) that knows none of it; the provider then
// presents what such a server has in the terms the engine reads
// (docs/provider.md, "The webdav dialect"):
//
//   - a collection at the top of the path is a workspace, every other one a
//     standard folder; descriptions are empty;
//   - a document is named by its DAV:displayname or, absent that, by its
//     last path segment, carries the built-in profile and may be read,
//     edited, moved and deleted unless the server marks it read-only; its
//     Keywords are kept as one text, the values separated by ",";
//   - the one profile, kBuiltInProfile ("Document"), lists Title, Author,
//     Description and Keywords, kept as dead properties under their usual
//     names; it and its property definitions are answered here, never asked;
//   - each workspace's categories folder (kCategoriesFolder) is answered
//     here too: it is empty, and nothing may be made in it.
#ifndef ORVEX_SERVER_WEBDAV_DIALECT_H_
#define ORVEX_SERVER_WEBDAV_DIALECT_H_

#include <memory>
#include <string>

#include "server/fields.h"
#include "server/schema.h"
#include "server/webdav/url.h"

namespace orvex::server::webdav {

enum class Dialect { kPortal, kWebDav };

// The dialect of the host `url` names: its `dialect` setting, `portal`
// when there is none. Throws server::Error(kErrGenericFailure) for a name
// that is neither, so a typo never talks to a server in the wrong terms.
// A host whose settings cannot be read at all is taken as `portal`: its
// requests fail with that reason anyway.
Dialect DialectOf(const Url& url);

// The id of the profile every document has in the webdav dialect.
inline constexpr char kBuiltInProfile[] = "urn:content-classes:document";
// The name the webdav dialect gives each workspace's categories folder.
inline constexpr char kCategoriesFolder[] = ".categories";

// The PROPFIND body that asks a server of `dialect` for everything an open
// or a full listing reads: allprop for the portal; for a plain server the
// properties this dialect reads, named, since some plain servers leave dead
// properties out of allprop (SabreDAV 1.8).
std::string EverythingBody(Dialect dialect);

// `changes` as a plain server is sent them: without the content class
// (every document has the built-in profile), a list as its values joined
// by "," (plain servers keep a property's text, not always its elements).
void PlainChanges(Fields::Changes& changes);

// What the row needs for its kind beyond what a plain server reports:
// `workspace` for a collection listed as a workspace (the rule above
// applies otherwise). Properties the server did report stay, but for the
// content class, which the dialect fixes.
void DressPlainRow(Fields& row, bool workspace);

// Where `path` (decoded, as the engine builds it) lies relative to its
// workspace's categories folder.
enum class CategoryPlace { kOutside, kFolder, kBelow };
CategoryPlace CategoryPlaceOf(std::string_view path);

// The fields of a categories folder at `url`, which holds nothing.
Fields EmptyCategoriesFolder(const Url& url);

// The built-in profile (kind kContentClass, id kBuiltInProfile) and its
// property definitions; throws server::Error(kErrObjectNotFound) for any
// other schema object.
std::unique_ptr<SchemaDefinition> BuiltInSchemaObject(SchemaKind kind, const std::string& id);

}  // namespace orvex::server::webdav

#endif  // ORVEX_SERVER_WEBDAV_DIALECT_H_
