// The field values of one resource, as items and listing rows carry them.
//
// Besides the server's own properties every row carries the provider's
// resource columns, derived from the response itself:
//   DAV:href                    absolute URL, path decoded, as the server wrote it
//   RESOURCE_PARSENAME          last path segment, decoded
//   RESOURCE_ABSOLUTEPARSENAME  absolute URL, path decoded, no trailing slash
//   RESOURCE_DISPLAYNAME        DAV:displayname, else the parse name
//   RESOURCE_CONTENTCLASS       DAV:contentclass, else ""
//   RESOURCE_ISREADONLY, RESOURCE_ISHIDDEN   DAV:isreadonly, DAV:ishidden
//   RESOURCE_ISCOLLECTION       collection resource type, or DAV:iscollection
// Absent flags read False. URLs handed back, the columns above and the
// values of the URL properties (wire/url_value.h), are unescaped like the
// URLs the engine builds, so they can be opened again as they are.
#ifndef ORVEX_SERVER_WEBDAV_RESOURCE_ROW_H_
#define ORVEX_SERVER_WEBDAV_RESOURCE_ROW_H_

#include <functional>
#include <map>
#include <string>

#include "platform/variant.h"
#include "server/fields.h"
#include "server/webdav/multistatus.h"
#include "server/webdav/url.h"

namespace orvex::server::webdav {

// `request` is the URL the response answered; it supplies scheme and host
// when the href is a bare path. The row takes over the response's
// properties: pass an rvalue when the response is not needed afterwards.
Fields ResourceRow(ResourceResponse response, const Url& request);

// The names ResourceRow and DressPlainRow (dialect.h) give a row. A listing's
// index holds them from the start, so that giving them to each of its rows
// finds their columns in the shared index rather than copying it per row.
const FieldIndex& RowColumns();

// A property value read as a flag (platform::ParseFlag); a value that is no
// flag is False, as a listing's row is read whatever the server sent.
bool FlagValue(const Variant& value);

}  // namespace orvex::server::webdav

#endif  // ORVEX_SERVER_WEBDAV_RESOURCE_ROW_H_
