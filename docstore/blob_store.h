// Large document content on disk: one immutable file per stored content,
// named by a random token (small content lives in the database, see
// Store::kInlineContentLimit). Content is written to a temporary file, flushed to disk
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

  // Takes new content as it arrives. Content up to `in_memory` bytes stays
  // in memory; longer content goes to a temporary file (NewTempPath), which
  // the caller then commits or discards. For a store on disk the file's
  // written pages are handed to the disk a step at a time while the rest
  // still arrives, and the writer waits for the step before the last one,
  // so a large upload never piles up more than two steps of unwritten pages.
  // That matters to everybody else: the file system may make any other
  // flush (another request's, the database log's) wait until the pending
  // pages of this file are written, so a flush that found a whole upload
  // pending would stall every small write for as long as the disk needs to
  // take it in. The flush in Commit is still what makes the content
  // durable; the steps only leave it little to do.
  class Writer {
   public:
    // Pages are handed to the disk every this many bytes: at most two steps
    // are on their way to the disk at any time.
    static constexpr uint64_t kStep = 256 * 1024;

    Writer(BlobStore& store, size_t in_memory);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // False (with errno set) when the file cannot be created or written.
    bool Append(const char* data, size_t size);
    // Closes the file; false when it could not be written completely.
    bool Finish();
    uint64_t size() const { return written_; }
    // The temporary file holding the content, "" while it is in memory.
    const std::string& path() const { return path_; }
    // The content, when it stayed in memory.
    std::string TakeContent() { return std::move(memory_); }

   private:
    bool WriteFile(const char* data, size_t size);

    BlobStore& store_;
    size_t in_memory_;
    std::string memory_;
    std::string path_;
    int fd_ = -1;
    uint64_t written_ = 0;
    uint64_t handed_ = 0;  // bytes handed to the disk so far
    uint64_t waited_ = 0;  // bytes known to be written
  };
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
