// The version object: check-out, check-in, publishing and the version
// history of documents in enhanced folders, each addressed by the
// document's URL.
//
// A version object carries no state between calls; the engine creates a
// fresh one per operation. Every call uses the credentials the provider
// keeps for the URL's host (those of the most recently opened connection to
// it). Failures throw server::Error with the platform error number.
#ifndef ORVEX_SERVER_VERSION_H_
#define ORVEX_SERVER_VERSION_H_

#include <cstdint>
#include <string>

#include "server/fields.h"

namespace orvex::server {

class Version {
 public:
  virtual ~Version() = default;

  // Checks the document out to the user; a working copy receives changes
  // until check-in.
  virtual void CheckOut(const std::string& url, const std::string& comment) = 0;
  // Checks the document (or its working copy) in as a new version carrying
  // `comment`.
  virtual void CheckIn(const std::string& url, const std::string& comment) = 0;
  // Makes the document's checked-in version the published one.
  virtual void Publish(const std::string& url) = 0;
  // One row per version of the document, in the server's order, each with
  // the version's friendly id, comment, creation time stamp, domain and user
  // (the server's text for each; a property the server lacks is absent).
  // `flags` is passed as the caller gives it (0).
  virtual Recordset History(const std::string& url, int32_t flags) = 0;
};

}  // namespace orvex::server

#endif  // ORVEX_SERVER_VERSION_H_
