// The document store: users, roles, workspaces, the resource tree with its
// properties, document versions and content, kept in a SQL database (SQLite
// under the store directory, see store_backend.h).
//
// Every access happens inside a Store::Txn. A reading transaction runs on a
// connection of its own and sees one consistent snapshot; it never waits for
// writers, nor they for it. Writing transactions take turns on the one
// writing connection. A write is durable before Commit returns; the commit
// leaves the writers' turn before it waits for that, so a database that
// flushes many commits at once (SQLite's group commit) serves concurrent
// writers with one flush.
#ifndef ORVEX_DOCSTORE_STORE_H_
#define ORVEX_DOCSTORE_STORE_H_

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "docstore/blob_store.h"
#include "docstore/mutex.h"
#include "docstore/prop_name.h"
#include "docstore/prop_value.h"

namespace orvex::docstore {

class Statement;
class StoreBackend;
struct StoreConnection;  // one database connection with its prepared statements
struct RequestMemo;      // what a request has looked up (Store::RequestScope)

enum class Kind { kCollection = 1, kDocument = 2, kWorkingCopy = 3 };
enum class Role { kNone = 0, kReader = 1, kAuthor = 2, kCoordinator = 3 };

// Role names as seed files and documentation spell them.
std::optional<Role> ParseRole(const std::string& name);

struct Resource {
  int64_t id = 0;
  int64_t parent = 0;  // 0 for the root and for working copies
  std::string path;    // store path ("/Sales/Reports")
  std::string name;    // last segment
  Kind kind = Kind::kCollection;
  std::string content_class;
  int64_t created = 0;   // seconds since the epoch
  int64_t modified = 0;  // seconds since the epoch
  int64_t etag = 0;      // bumped by every change
  std::string blob;      // content, "" for none
  int64_t length = 0;
  std::string content_type;
  // Publishing life cycle (documents of enhanced folders only): the state
  // (kStateCreated, kStateCheckedIn, kStateCheckedOut or kStateApproved of
  // wire/names.h; empty elsewhere) and the user holding the check-out.
  std::string state;
  std::string checked_out_by;
  int64_t doc = 0;  // working copy: the document it belongs to
  int64_t vmajor = 0;
  int64_t vminor = 0;

  bool IsCollection() const { return kind == Kind::kCollection; }
};

struct Workspace {
  std::string name;
  std::string categories_folder;  // relative to the workspace ("Categories")
  std::string schema_folder;      // relative to the workspace ("Schema")
};

struct Version {
  int64_t id = 0;
  int64_t doc = 0;
  int64_t seq = 0;    // 1, 2, ... in check-in order
  std::string label;  // friendly version id ("0.1", "1.0")
  std::string comment;
  int64_t created = 0;
  std::string user;  // who checked it in ("CORP\\jones")
  std::string blob;
  int64_t length = 0;
  std::string content_type;
  std::map<PropName, PropValue> props;  // the document's properties then
};

using PropMap = std::map<PropName, PropValue>;

class Store {
 public:
  // `location` empty: in memory, content in a private temporary directory.
  // A postgresql:// (or postgres://) URL: that PostgreSQL database, shared
  // with every other node opened on it. Otherwise a folder: the database is
  // location/docstore.db and content lives in location/content. Throws
  // std::runtime_error when the store cannot be opened
  // (StoreUnavailableError when its database server cannot be reached).
  explicit Store(const std::string& location);
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  // One database transaction; rolls back unless committed. Transactions of
  // one thread nest only on different stores. kLookUp reads without a
  // transaction around its statements: each sees the store as it is then
  // (for a single look-up, which then costs no BEGIN and COMMIT).
  class Txn {
   public:
    enum Mode { kRead, kWrite, kLookUp };
    explicit Txn(Store& store, Mode mode = kWrite);
    ~Txn();
    Txn(const Txn&) = delete;
    Txn& operator=(const Txn&) = delete;
    // Ends the transaction; a writing one returns once it is durable.
    void Commit();
    // Removes the blob's file after a successful commit unless a row still
    // refers to it then.
    void ReleaseBlobLater(const std::string& blob);

   private:
    Store& store_;
    Mode mode_;
    std::unique_lock<std::mutex> writer_lock_;
    StoreConnection* connection_ = nullptr;
    StoreConnection* outer_connection_ = nullptr;
    const Store* outer_store_ = nullptr;
    bool done_ = false;
    std::vector<std::string> release_;
  };

  // The span of one request on the thread serving it. Within it, the
  // workspace and role look-ups are read from the database once and kept:
  // the checks made before a request's body and the request itself (and
  // every entry of a listing) ask once. Nothing is kept past the request,
  // so a change made through any node applies from the next request on.
  class RequestScope {
   public:
    explicit RequestScope(Store& store);
    ~RequestScope();
    RequestScope(const RequestScope&) = delete;
    RequestScope& operator=(const RequestScope&) = delete;

   private:
    std::unique_ptr<RequestMemo> memo_;
    RequestMemo* outer_;
  };

  // Uploads in progress stream into temporary files here.
  BlobStore& blobs() { return *blobs_; }

  // Large content (above kInlineContentLimit): content files, or parts of
  // kContentPartBytes in the database when the backend keeps it there.
  static constexpr size_t kContentPartBytes = 1 << 20;
  // Takes an upload's temporary file into the store before the writing
  // transaction that refers to it starts (so no writer waits for it);
  // returns its blob name.
  std::string CommitContent(const std::string& temp_path);
  // Stores `bytes` within the current writing transaction (a seed); content
  // files are written unflushed: SyncContent flushes them all at once.
  std::string PutContent(const std::string& bytes);
  void SyncContent();
  // Removes content that no committed row refers to (a refused upload's).
  void RemoveContent(const std::string& blob);
  // Within the writing transaction that will refer to content CommitContent
  // stored: claims it, so it is no longer collected as abandoned. False
  // when it was collected meanwhile.
  bool ClaimContent(const std::string& blob);
  // Opens content for reading, within a transaction: a descriptor that stays
  // readable whatever later requests do to the document; -1 when missing.
  int OpenContent(const std::string& blob);

  // True until something has been seeded.
  bool IsEmpty();
  // Drops unreferenced content, files and inline (run once at start, in a
  // writing transaction).
  void CollectGarbage();

  // Users and roles. Names compare ignoring ASCII case. Passwords are kept
  // only in their hashed form (auth.h).
  void AddUser(const std::string& name, const std::string& password);
  struct UserRecord {
    std::string name;           // the stored spelling
    std::string password_hash;  // HashPassword's form
  };
  std::optional<UserRecord> FindUser(const std::string& name);
  // What Digest authentication checks against: H(user:realm:password) of
  // the stored spelling, for MD5 and SHA-256 (DigestAuth::Ha1). Kept for the
  // users whose password the store was given in plain (a seed); a user
  // hashed by an older version has none until the password is set again.
  struct DigestRecord {
    std::string name;
    std::string md5;
    std::string sha256;
  };
  std::optional<DigestRecord> FindDigest(const std::string& name);
  // Replaces passwords kept in plain text (by stores made before passwords
  // were hashed) with their hashed form.
  void HashPlainPasswords();
  void SetRole(const std::string& workspace, const std::string& user, Role role);

  void AddHost(const std::string& host);
  std::vector<std::string> Hosts();

  // Workspaces, in the order they were added.
  void AddWorkspace(const Workspace& workspace);
  // A workspace and the user's role there (kNone without one), read
  // together.
  struct WorkspaceRole {
    Workspace workspace;
    Role role = Role::kNone;
  };
  std::optional<WorkspaceRole> FindWorkspace(const std::string& name, const std::string& user);
  std::vector<Workspace> Workspaces();

  // Resources.
  std::optional<Resource> Find(const std::string& path);
  // Find, and the bytes of the resource's content when they are kept in the
  // database (IsInline), read by the same statement; `inline_content` is
  // left empty for any other resource.
  std::optional<Resource> FindWithContent(const std::string& path,
                                          std::optional<std::string>& inline_content);
  std::optional<Resource> FindById(int64_t id);
  // Within a transaction, sends ahead (Statement::Prefetch) what a request
  // on `path` by `user` reads first: the workspace and the user's role
  // there (unless the request holds them already), the resource (Find) and
  // - kContent: its inline content with it (FindWithContent);
  // - kProperties: its kept properties (PropsOf) and the locks covering it
  //   (LockStore::Covering);
  // - kChange: the locks covering it.
  // A database server then answers them all in the round trip of the first
  // one read. Nothing else changes: each is still read by its own call,
  // with the answer it would have had, and what is not read is dropped.
  enum class ReadFor { kResource, kContent, kProperties, kChange };
  void ReadAhead(const std::string& path, const std::string& user, ReadFor what);
  // The same for one row of a listing, `r` read already: its kept
  // properties, the locks covering it, whether a collection has children
  // (HasChildren, both kinds) and, with `role`, the user's role in its
  // workspace. A listing sends these for a whole batch of rows, which a
  // database server then answers a few dozen to a round trip.
  void ReadAheadRow(const Resource& r, const std::string& user, bool role);
  // Drops what was read ahead and not read (Database::DropReadAhead): a
  // writing transaction calls it before it writes, so that nothing read
  // after a write comes from before it.
  void DropReadAhead();
  // Direct children in creation order.
  std::vector<Resource> Children(int64_t id);
  // Up to `limit` direct children with ids above `after`, in creation order
  // (a listing read in batches).
  std::vector<Resource> ChildrenAfter(int64_t id, int64_t after, int limit);
  bool HasChildren(int64_t id, bool collections_only);
  // Creates a resource under `parent` (which must be a collection).
  Resource Create(const Resource& parent, const std::string& name, Kind kind,
                  const std::string& content_class);
  // Creates a working copy of `doc` at `path` (outside the tree).
  Resource CreateWorkingCopy(const Resource& doc, const std::string& path);
  // Writes every column of `r` back and bumps its etag and modified time.
  void Update(Resource& r);
  // Deletes `r` and everything below it (properties, versions, working
  // copies); their content is released after commit.
  void DeleteTree(Txn& txn, const Resource& r);
  // Moves `r` (and its subtree) to `parent`/`name`.
  void MoveTree(const Resource& r, const Resource& parent, const std::string& name);
  // Copies `r` (with its subtree when `deep`) to `parent`/`name`; versions
  // and check-outs are not copied. Returns the new resource.
  Resource CopyTree(const Resource& r, const Resource& parent, const std::string& name, bool deep);
  // Is the blob referenced by any resource or version?
  bool BlobReferenced(const std::string& blob);

  // Content up to this size lives in the database itself rather than in a
  // file: writing it is durable with the transaction's one flush of the
  // database log (shared with concurrent writers), where a file needs its
  // own flush and its directory's, and a flush may have to wait for whatever
  // else is being written to the disk at the time.
  static constexpr size_t kInlineContentLimit = 64 * 1024;
  // A store on disk keeps a reserve of disk space to give up when the disk
  // is full, so that a DELETE, which frees space, can still be written.
  // True when it was there to give up.
  bool ReleaseReserve();

  // Stores `bytes` in the database; returns its blob name. Released like
  // any blob (ReleaseBlobLater).
  std::string AddInlineContent(const std::string& bytes);
  // Is this blob kept in the database (rather than in a file)?
  static bool IsInline(const std::string& blob);
  // The bytes of an inline blob; nullopt when there is no such blob.
  std::optional<std::string> InlineContent(const std::string& blob);

  // Properties kept for a resource (dead properties and settable ones).
  PropMap Props(int64_t id);
  // The same for the resource at `path` (one statement, which ReadAhead
  // can send before the resource's id is known).
  PropMap PropsOf(const std::string& path);
  std::optional<PropValue> Prop(int64_t id, const PropName& name);
  void SetProp(int64_t id, const PropName& name, const PropValue& value);
  void RemoveProp(int64_t id, const PropName& name);
  void ReplaceProps(int64_t id, const PropMap& props);

  // Versions of a document, oldest first.
  std::vector<Version> Versions(int64_t doc);
  std::optional<Version> FindVersion(int64_t doc, int64_t seq);
  // The most recent version, or nullopt when the document has none.
  std::optional<Version> LatestVersion(int64_t doc);
  // The sequence number the document's next version gets (1 for the first).
  int64_t NextVersionSeq(int64_t doc);
  void AddVersion(Version& v);
  void SetVersionLabel(int64_t version_id, const std::string& label);

  static int64_t Now();

 private:
  friend class Txn;
  friend class LockStore;  // keeps its table through the same connections
  Resource ReadResource(Statement& s);
  // The statements of Find (and FindWithContent), FindWorkspace and
  // PropsOf, bound: one place for each, used by them and by ReadAhead.
  Statement& FindStatement(const std::string& path, bool with_content);
  Statement& WorkspaceStatement(const std::string& name, const std::string& user);
  Statement& PropsStatement(const std::string& path);
  Statement& HasChildrenStatement(int64_t id, bool collections_only);
  // Sends the role look-up ahead; false for a path outside any workspace
  // (the root, working copies and versions), which ReadAhead then skips.
  bool ReadAheadRole(const std::string& path, const std::string& user);
  // A prepared statement of the current transaction's connection for `sql`,
  // kept for reuse and reset for this use. A caller finishes stepping it
  // before calling anything that may use the same statement.
  Statement& Sql(const std::string& sql);
  StoreConnection& Current();
  // The running thread's request memo when it serves a request of this
  // store, else null.
  RequestMemo* Memo() const;
  // A connection for a reading transaction (or for work outside any),
  // reused when one is idle.
  std::unique_ptr<StoreConnection> TakeReader() ORVEX_EXCLUDES(readers_mutex_);
  void ReturnReader(std::unique_ptr<StoreConnection> c) ORVEX_EXCLUDES(readers_mutex_);
  // Closes the idle reading connections: the database server they reached
  // went away (a restart), so none of them works any more.
  void DropIdleReaders() ORVEX_EXCLUDES(readers_mutex_);

  std::unique_ptr<StoreBackend> backend_;
  std::unique_ptr<BlobStore> blobs_;
  // When this node last collected abandoned content parts.
  std::atomic<std::chrono::steady_clock::time_point> last_collected_{};

  // The writers' turn, held by a writing Txn for its life; the writer
  // connection is used only under it (a hold the analysis cannot follow
  // through the Txn object, so writer_ carries no annotation).
  std::mutex writer_mutex_;
  std::unique_ptr<StoreConnection> writer_;
  Mutex readers_mutex_;
  std::vector<std::unique_ptr<StoreConnection>> idle_readers_ ORVEX_GUARDED_BY(readers_mutex_);
};

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_STORE_H_
