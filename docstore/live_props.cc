#include "docstore/live_props.h"

#include <algorithm>
#include <optional>
#include <set>

#include "docstore/dav_lock.h"
#include "docstore/names.h"
#include "docstore/time_format.h"
#include "docstore/url.h"
#include "wire/url_value.h"

namespace orvex::docstore {
namespace {

const std::set<PropName>& LiveNames() {
  static const std::set<PropName> names = {
      {kDav, "href"},
      {kDav, "contentclass"},
      {kDav, "isreadonly"},
      {kDav, "iscollection"},
      {kDav, "resourcetype"},
      {kDav, "hassubs"},
      {kDav, "haschildren"},
      {kDav, "parentname"},
      {kDav, "creationdate"},
      {kDav, "getlastmodified"},
      {kDav, "getcontentlength"},
      {kDav, "getetag"},
      {kDav, "getcontenttype"},
      {kDav, "lockdiscovery"},
      {kDav, "supportedlock"},
      {kDav, "version-name"},
      {kPublishingNs, kIsCheckedOut},
      {kPublishingNs, kCheckedOutBy},
      {kPublishingNs, kDocumentState},
      {kPublishingNs, kWorkingCopy},
      {kPublishingNs, kOperationsAllowed},
      {kPublishingNs, kFriendlyVersionId},
      {kWorkspaceNs, kCategoriesFolder},
      {kExchDataNs, kSchemaCollectionRef},
  };
  return names;
}

std::string ParentUrl(const std::string& host, const std::string& path) {
  return AbsoluteUrl(host, ParentPath(path));
}

bool IsFolderClass(const std::string& c) {
  return c == kClassSmartFolder || c == kClassKnowledgeFolder || c == kClassWorkspace;
}

}  // namespace

bool IsLiveProperty(const PropName& name) { return LiveNames().count(name) != 0; }

std::string AbsoluteUrl(const std::string& host, const std::string& path) {
  return wire::WireUrlValue("http://" + host, path);
}

std::string EtagOf(const Resource& r) {
  std::string etag = "\"";
  etag += std::to_string(r.id);
  etag += '-';
  etag += std::to_string(r.etag);
  etag += '"';
  return etag;
}

std::string VersionEtag(const Version& v) { return "\"v" + std::to_string(v.id) + "\""; }

std::string HrefOf(const Resource& r) { return EncodeHref(r.path, r.IsCollection()); }

std::string VersionHref(const Resource& doc, const Version& v) {
  return EncodeHref(
      std::string(kVersionsPath) + "/" + std::to_string(doc.id) + "/" + std::to_string(v.seq),
      false);
}

std::vector<std::string> EffectiveProfiles(Store& store, const Resource& folder) {
  std::optional<Resource> at = folder;
  while (at && at->id != 1) {
    if (auto v = store.Prop(at->id, {kPublishingNs, kDocumentProfiles})) return v->values;
    at = store.FindById(at->parent);
  }
  return {};
}

std::string EffectiveDefaultProfile(Store& store, const Resource& folder) {
  std::optional<Resource> at = folder;
  while (at && at->id != 1) {
    if (auto v = store.Prop(at->id, {kPublishingNs, kDefaultDocumentProfile})) return v->text;
    at = store.FindById(at->parent);
  }
  return {};
}

bool PropFilter::Wants(const PropName& name) const {
  if (all) return true;
  for (const auto& n : names)
    if (n == name) return true;
  return false;
}

std::vector<PropOut> ResourceProps(const PropContext& ctx, const Resource& r,
                                   const PropFilter& filter) {
  std::vector<PropOut> out;
  auto wants = [&](const char* ns, const char* local) { return filter.Wants(ns, local); };
  auto add = [&](const char* ns, const char* local, PropValue v) {
    out.push_back({{ns, local}, std::move(v)});
  };
  // The kept properties are read only when something asked for needs them:
  // a kept property itself, or a live one a kept value stands in for.
  bool need_kept = filter.all;
  for (const auto& name : filter.names)
    if (!IsLiveProperty(name) ||
        (name == PropName{kDav, "isreadonly"} && r.content_class == kClassPropertyDef))
      need_kept = true;
  PropMap kept;
  if (need_kept) kept = ctx.store.PropsOf(r.path);
  bool collection = r.IsCollection();
  // The locks covering the resource, read once when something asked for
  // needs them. A lock of another user makes the resource read-only for the
  // requester, as someone else's check-out does.
  std::optional<std::vector<Lock>> covering;
  auto locks = [&]() -> const std::vector<Lock>& {
    if (!covering) covering = LockStore(ctx.store).Covering(r.path);
    return *covering;
  };
  auto locked_by_other = [&] {
    return std::any_of(locks().begin(), locks().end(),
                       [&](const Lock& l) { return !SameUser(l.principal, ctx.access.user); });
  };
  if (wants(kDav, "displayname")) {
    std::string display = r.name;
    if (auto it = kept.find({kDav, "displayname"}); it != kept.end()) display = it->second.text;
    add(kDav, "displayname", PropValue::Plain(display));
  }
  if (wants(kDav, "contentclass")) add(kDav, "contentclass", PropValue::String(r.content_class));
  if (wants(kDav, "isreadonly")) {
    // A property definition's DAV:isreadonly is the defined property's
    // read-only flag (what clients call "DAV: IsReadOnly"), not the user's.
    bool read_only = IsReadOnlyFor(ctx.access, r) || locked_by_other();
    if (r.content_class == kClassPropertyDef)
      if (auto it = kept.find({kDav, "isreadonly"}); it != kept.end())
        read_only = it->second.text == "1";
    add(kDav, "isreadonly", PropValue::Bool(read_only));
  }
  if (wants(kDav, "ishidden")) {
    bool hidden = false;
    if (auto it = kept.find({kDav, "ishidden"}); it != kept.end()) hidden = it->second.text == "1";
    add(kDav, "ishidden", PropValue::Bool(hidden));
  }
  if (wants(kDav, "iscollection")) add(kDav, "iscollection", PropValue::Bool(collection));
  if (wants(kDav, "resourcetype"))
    add(kDav, "resourcetype", collection ? PropValue{"#resourcetype", "", {}} : PropValue{});
  bool want_subs = wants(kDav, "hassubs");
  bool want_children = wants(kDav, "haschildren");
  if (want_subs || want_children) {
    bool subs = collection && ctx.store.HasChildren(r.id, true);
    bool children = collection && (subs || ctx.store.HasChildren(r.id, false));
    if (want_subs) add(kDav, "hassubs", PropValue::Bool(subs));
    if (want_children) add(kDav, "haschildren", PropValue::Bool(children));
  }
  if (r.id != 1 && wants(kDav, "parentname")) {
    // A working copy stands in for its document, so it names the document's
    // folder as its parent.
    std::string parent_path = ParentPath(r.path);
    if (r.kind == Kind::kWorkingCopy)
      if (auto doc = ctx.store.FindById(r.doc)) parent_path = ParentPath(doc->path);
    add(kDav, "parentname", PropValue::String(AbsoluteUrl(ctx.host, parent_path)));
  }
  if (wants(kDav, "creationdate"))
    add(kDav, "creationdate", PropValue::Plain(FormatIso(r.created)));
  if (wants(kDav, "getlastmodified"))
    add(kDav, "getlastmodified", PropValue::Plain(FormatHttpDate(r.modified)));
  if (wants(kDav, "getetag")) add(kDav, "getetag", PropValue::Plain(EtagOf(r)));
  if (r.kind != Kind::kWorkingCopy) {
    if (wants(kDav, "supportedlock"))
      add(kDav, "supportedlock", PropValue{"#dav", kSupportedLockXml, {}});
    if (wants(kDav, "lockdiscovery")) {
      std::string active;
      int64_t now = LockClockMs();
      for (const auto& lock : locks()) active += ActiveLockXml(ctx.store, ctx.host, lock, now);
      add(kDav, "lockdiscovery", PropValue{"#dav", std::move(active), {}});
    }
  }
  if (!collection) {
    if (wants(kDav, "getcontentlength"))
      add(kDav, "getcontentlength", PropValue::Plain(std::to_string(r.length)));
    if (wants(kDav, "getcontenttype"))
      add(kDav, "getcontenttype",
          PropValue::Plain(r.content_type.empty() ? "application/octet-stream" : r.content_type));
  }
  if (r.content_class == kClassWorkspace) {
    if (wants(kWorkspaceNs, kCategoriesFolder))
      add(kWorkspaceNs, kCategoriesFolder,
          PropValue::String(ctx.access.settings.categories_folder));
    if (wants(kExchDataNs, kSchemaCollectionRef))
      add(kExchDataNs, kSchemaCollectionRef,
          PropValue::String(
              AbsoluteUrl(ctx.host, JoinPath(r.path, ctx.access.settings.schema_folder))));
  }
  if (collection && IsFolderClass(r.content_class)) {
    // Folders answer with the profiles they offer, inherited when not set.
    // A child of the folder listed that sets none (its kept properties were
    // read) inherits the folder's, found once for the listing.
    InheritedFromFolder* from = need_kept && ctx.inherited && r.parent == ctx.inherited->folder.id
                                    ? ctx.inherited
                                    : nullptr;
    if (!kept.count({kPublishingNs, kDocumentProfiles}) &&
        wants(kPublishingNs, kDocumentProfiles)) {
      if (from && !from->profiles) from->profiles = EffectiveProfiles(ctx.store, from->folder);
      add(kPublishingNs, kDocumentProfiles,
          PropValue::Multi(from ? *from->profiles : EffectiveProfiles(ctx.store, r)));
    }
    if (!kept.count({kPublishingNs, kDefaultDocumentProfile}) &&
        wants(kPublishingNs, kDefaultDocumentProfile)) {
      if (from && !from->default_profile)
        from->default_profile = EffectiveDefaultProfile(ctx.store, from->folder);
      add(kPublishingNs, kDefaultDocumentProfile,
          PropValue::String(from ? *from->default_profile : EffectiveDefaultProfile(ctx.store, r)));
    }
  }
  if (r.kind == Kind::kDocument) {
    if (wants(kPublishingNs, kIsCheckedOut))
      add(kPublishingNs, kIsCheckedOut, PropValue::Bool(!r.checked_out_by.empty()));
    if (!r.state.empty()) {
      if (wants(kPublishingNs, kDocumentState))
        add(kPublishingNs, kDocumentState, PropValue::String(r.state));
      if (wants(kPublishingNs, kCheckedOutBy))
        add(kPublishingNs, kCheckedOutBy, PropValue::String(r.checked_out_by));
      if (!r.checked_out_by.empty() && wants(kPublishingNs, kWorkingCopy))
        add(kPublishingNs, kWorkingCopy,
            PropValue::String(AbsoluteUrl(
                ctx.host, std::string(kWorkingCopiesPath) + "/" + std::to_string(r.id))));
      if (r.vmajor + r.vminor > 0 && wants(kPublishingNs, kFriendlyVersionId))
        add(kPublishingNs, kFriendlyVersionId,
            PropValue::String(std::to_string(r.vmajor) + "." + std::to_string(r.vminor)));
    }
    if (wants(kPublishingNs, kOperationsAllowed))
      add(kPublishingNs, kOperationsAllowed,
          PropValue::Multi(OperationsAllowed(ctx.access, r, locked_by_other())));
  }
  for (auto& [name, value] : kept) {
    if (IsLiveProperty(name) || name == PropName{kDav, "displayname"} ||
        name == PropName{kDav, "ishidden"} || !filter.Wants(name))
      continue;
    out.push_back({name, value});
  }
  return out;
}

std::vector<PropOut> VersionProps(const PropContext& ctx, const Resource& doc, const Version& v) {
  std::vector<PropOut> out;
  auto add = [&](const char* ns, const char* local, PropValue value) {
    out.push_back({{ns, local}, std::move(value)});
  };
  std::string domain;
  std::string user = v.user;
  if (auto slash = user.find('\\'); slash != std::string::npos) {
    domain = user.substr(0, slash);
    user = user.substr(slash + 1);
  }
  add(kDav, "displayname", PropValue::Plain(doc.name));
  add(kDav, "contentclass", PropValue::String(kClassVersion));
  add(kDav, "isreadonly", PropValue::Bool(true));
  add(kDav, "ishidden", PropValue::Bool(false));
  add(kDav, "iscollection", PropValue::Bool(false));
  add(kDav, "resourcetype", PropValue{});
  add(kDav, "hassubs", PropValue::Bool(false));
  add(kDav, "haschildren", PropValue::Bool(false));
  add(kDav, "parentname", PropValue::String(ParentUrl(ctx.host, doc.path)));
  add(kDav, "creationdate", PropValue::Plain(FormatIso(v.created)));
  add(kDav, "getlastmodified", PropValue::Plain(FormatHttpDate(v.created)));
  add(kDav, "getcontentlength", PropValue::Plain(std::to_string(v.length)));
  add(kDav, "getcontenttype",
      PropValue::Plain(v.content_type.empty() ? "application/octet-stream" : v.content_type));
  add(kDav, "getetag", PropValue::Plain(VersionEtag(v)));
  add(kDav, "version-name", PropValue::Plain(v.label));
  add(kPublishingNs, kFriendlyVersionId, PropValue::String(v.label));
  add(kPublishingNs, kComment, PropValue::String(v.comment));
  add(kPublishingNs, kCreatedTimeStamp, PropValue::Date(FormatIso(v.created)));
  add(kPublishingNs, kDomain, PropValue::String(domain));
  add(kPublishingNs, kUser, PropValue::String(user));
  for (const auto& [name, value] : v.props) {
    if (IsLiveProperty(name) || name.ns == kDav) continue;
    if (name.ns == kPublishingNs && (name.local == kComment || name.local == kCreatedTimeStamp ||
                                     name.local == kDomain || name.local == kUser))
      continue;
    out.push_back({name, value});
  }
  return out;
}

}  // namespace orvex::docstore
