// Document content on disk: one immutable file per stored content, named by
// a random token. Content is written to a temporary file, flushed to disk
// (for a store on disk) and renamed into place before the database row that
// refers to it commits, so a row never points at partial content. Files no
// row refers to (left by a crash between rename and commit) are removed at
// start. None of this needs the store's writers' turn: content is made
// durable before the writing transaction starts.
#ifndef ORVEX_DOCSTORE_BLOB_STORE_H_
#define ORVEX_DOCSTORE_BLOB_STORE_H_

#include <cstdint>
#include <functional>
#include <string>

namespace orvex::docstore {

class BlobStore {
 public:
  // Content lives in `dir` (created when missing); `durable`: flush it to
  // disk before it is referred to.
  BlobStore(const std::string& dir, bool durable);
  BlobStore(const BlobStore&) = delete;
  BlobStore& operator=(const BlobStore&) = delete;

  // A fresh, empty file (mode 0600) for streaming new content into; the
  // caller writes it and then calls Commit (or Discard).
  std::string NewTempPath();
  // Flushes the temporary file to disk, renames it into place and returns
  // its blob name. Throws std::runtime_error on an I/O failure.
  std::string Commit(const std::string& temp_path);
  // Stores `bytes` as a new blob without flushing it: a seed writes all its
  // content this way and then flushes it at once with SyncAll.
  std::string PutUnsynced(const std::string& bytes);
  // Flushes everything written to the content directory's file system.
  void SyncAll();
  // Removes a temporary file that will not be committed.
  void Discard(const std::string& temp_path);
  // Removes a blob file.
  void Remove(const std::string& blob);
  // Opens a blob for reading; -1 when it cannot be opened.
  int Open(const std::string& blob) const;
  // Removes every temporary file and every blob for which `referenced`
  // answers false.
  void Collect(const std::function<bool(const std::string&)>& referenced);

  std::string PathOf(const std::string& blob) const { return dir_ + "/" + blob; }

 private:
  std::string dir_;
  bool durable_ = false;
};

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_BLOB_STORE_H_
