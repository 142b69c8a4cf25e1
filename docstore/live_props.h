// The properties a resource answers with: the ones the store keeps for it
// and the live ones computed for the requesting user (flags, links, the
// publishing state, the allowed operations).
#ifndef ORVEX_DOCSTORE_LIVE_PROPS_H_
#define ORVEX_DOCSTORE_LIVE_PROPS_H_

#include <optional>
#include <string>
#include <vector>

#include "docstore/permissions.h"
#include "docstore/store.h"
#include "docstore/xml_writer.h"

namespace orvex::docstore {

// What the children of one listed folder inherit from it (the profiles it
// offers, its default profile), found once per listing on first need: the
// listing reads one snapshot, so every child would find the same.
struct InheritedFromFolder {
  const Resource& folder;
  std::optional<std::vector<std::string>> profiles;
  std::optional<std::string> default_profile;
};

struct PropContext {
  Store& store;
  std::string host;  // the request's Host header, for absolute URLs
  const Access& access;
  InheritedFromFolder* inherited = nullptr;  // in a listing of that folder
};

// Which properties a request asks for: every one, or the named ones (a
// PROPFIND prop request); only those are computed.
struct PropFilter {
  bool all = true;
  std::vector<PropName> names;  // when !all

  bool Wants(const PropName& name) const;
  bool Wants(const char* ns, const char* local) const { return Wants(PropName{ns, local}); }
};

// The properties of `r` that `filter` asks for, live ones first, then the
// kept ones (a kept property never hides a live one).
std::vector<PropOut> ResourceProps(const PropContext& ctx, const Resource& r,
                                   const PropFilter& filter = {});

// Every property of one version of `doc`.
std::vector<PropOut> VersionProps(const PropContext& ctx, const Resource& doc, const Version& v);

// The href of a resource (encoded path, "/" after collections).
std::string HrefOf(const Resource& r);
// The entity tag of a resource's current state.
std::string EtagOf(const Resource& r);
// The entity tag of a version.
std::string VersionEtag(const Version& v);
// The href of a version.
std::string VersionHref(const Resource& doc, const Version& v);

// The value of a URL property naming `path` for a request sent to `host`:
// "http://" + host + encoded path, without a trailing slash (see
// wire/url_value.h). Location headers take the same form.
std::string AbsoluteUrl(const std::string& host, const std::string& path);

// Names a client may not set: computed for every request.
bool IsLiveProperty(const PropName& name);

// The profiles a folder offers and its default profile, taken from the
// nearest folder (or the workspace) that sets them.
std::vector<std::string> EffectiveProfiles(Store& store, const Resource& folder);
std::string EffectiveDefaultProfile(Store& store, const Resource& folder);

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_LIVE_PROPS_H_
