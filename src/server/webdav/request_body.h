// The XML bodies the provider sends.
//
// Values are written typed, the way the server reads them back: a Boolean as
// dt "boolean" ("1"/"0"), a 32-bit integer as "int", a 16-bit integer as
// "i2", an array as "mv.string" with one xml:v element per value, a string
// (and Empty) untyped. Setting a value to Null removes the property.
#ifndef ORVEX_SERVER_WEBDAV_REQUEST_BODY_H_
#define ORVEX_SERVER_WEBDAV_REQUEST_BODY_H_

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "server/fields.h"

namespace orvex::server::webdav {

// PROPFIND asking for every property.
std::string AllPropBody();

// PROPFIND asking for the properties `names` (full names) only. Throws
// server::Error(kErrGenericFailure) for a name that cannot be an XML element.
std::string PropBody(const std::vector<std::string>& names);

// The PROPFIND body of a listing whose caller reads `columns` (field
// names, see Item::Columns): allprop when none are named, else a `prop`
// body naming the server properties those columns are read from.
std::string ListingBody(std::span<const char* const> columns);

// CHECKIN carrying the version's comment.
std::string CheckinBody(std::string_view comment);

// REPORT asking for the version tree with the properties a version row
// carries: its friendly id, comment, creation time stamp, domain and user.
std::string VersionTreeBody();

// The changes that go to the server: the last value set for each property,
// in the order the properties were first set; the provider's own resource
// columns (RESOURCE_*) are dropped, since the provider derives them.
Fields::Changes ServerChanges(const Fields::Changes& changes);

// PROPPATCH body for `changes` (already passed through ServerChanges), in
// their order: one DAV:set per value, one DAV:remove per Null.
// Throws server::Error(kErrGenericFailure) for a name that cannot be an XML
// element or a value that cannot be written.
std::string PropertyUpdateBody(const Fields::Changes& changes);

// Extended MKCOL body making a collection (DAV:resourcetype) and setting
// `changes` (Nulls are skipped) on it.
std::string MkcolBody(const Fields::Changes& changes);

// `text` with the characters XML reserves escaped; throws
// server::Error(kErrGenericFailure) for text a server could not store and
// answer as XML: invalid UTF-8, a control character other than tab, line
// feed and carriage return, or a Unicode non-character.
std::string XmlEscape(std::string_view text);

}  // namespace orvex::server::webdav

#endif  // ORVEX_SERVER_WEBDAV_REQUEST_BODY_H_
