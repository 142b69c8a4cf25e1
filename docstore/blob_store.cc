#include "docstore/blob_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>

#include "docstore/database.h"

namespace orvex::docstore {
namespace {

// Throws for a failed write: StoreFullError when the disk is full.
[[noreturn]] void FailWrite(const std::string& what) {
  int error = errno;
  std::string message = what + ": " + strerror(error);
  if (error == ENOSPC || error == EDQUOT || error == EFBIG) throw StoreFullError(message);
  throw std::runtime_error(message);
}

namespace fs = std::filesystem;

std::string RandomToken() {
  static thread_local std::mt19937_64 rng{std::random_device{}()};
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (int i = 0; i < 2; ++i) {
    uint64_t v = rng();
    for (int k = 0; k < 16; ++k) {
      out.push_back(kHex[v & 15]);
      v >>= 4;
    }
  }
  return out;
}

void SyncFd(int fd, const std::string& what) {
  if (::fsync(fd) != 0) FailWrite("cannot flush " + what);
}

void SyncPath(const std::string& path, int flags) {
  int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("cannot open " + path + ": " + strerror(errno));
  try {
    SyncFd(fd, path);
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
}

}  // namespace

BlobStore::BlobStore(const std::string& dir, bool durable) : dir_(dir), durable_(durable) {
  std::error_code ec;
  fs::create_directories(dir_, ec);
  if (ec) throw std::runtime_error("cannot create " + dir_ + ": " + ec.message());
  // Folders 0700 and files 0600, also those an older version left readable
  // to others.
  auto keep_private = [](const fs::path& path, fs::perms wanted) {
    std::error_code ignored;
    auto perms = fs::symlink_status(path, ignored).permissions();
    if ((perms & (fs::perms::group_all | fs::perms::others_all)) != fs::perms::none)
      fs::permissions(path, wanted, ignored);
  };
  keep_private(dir_, fs::perms::owner_all);
  for (auto it = fs::recursive_directory_iterator(dir_, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    if (it->is_symlink(ec)) continue;
    if (it->is_directory(ec))
      keep_private(it->path(), fs::perms::owner_all);
    else if (it->is_regular_file(ec))
      keep_private(it->path(), fs::perms::owner_read | fs::perms::owner_write);
  }
}

std::string BlobStore::NewTempPath() {
  // Created here, readable by the owner only: whoever writes the body later
  // opens it without creating it, and the mode stays.
  std::string path = dir_ + "/tmp-" + RandomToken();
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) ::close(fd);
  return path;
}

BlobStore::Writer::Writer(BlobStore& store, size_t in_memory)
    : store_(store), in_memory_(in_memory) {}

BlobStore::Writer::~Writer() {
  if (fd_ >= 0) ::close(fd_);
}

bool BlobStore::Writer::Append(const char* data, size_t size) {
  if (path_.empty()) {
    if (memory_.size() + size <= in_memory_) {
      memory_.append(data, size);
      written_ += size;
      return true;
    }
    // Too long to keep: what came so far goes to the file first.
    path_ = store_.NewTempPath();
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd_ < 0) return false;
    std::string kept = std::move(memory_);
    memory_.clear();
    written_ = 0;
    if (!WriteFile(kept.data(), kept.size())) return false;
  }
  return WriteFile(data, size);
}

bool BlobStore::Writer::WriteFile(const char* data, size_t size) {
  if (fd_ < 0) return false;
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd_, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    done += static_cast<size_t>(n);
  }
  written_ += size;
  if (store_.durable_ && written_ - handed_ >= kStep) {
    // Start writing the new step, then wait for the one before it. A
    // failure here is not the content's fate: the flush in Commit reports
    // any error the disk gives.
    ::sync_file_range(fd_, static_cast<off_t>(handed_), static_cast<off_t>(written_ - handed_),
                      SYNC_FILE_RANGE_WRITE);
    if (handed_ > waited_)
      ::sync_file_range(
          fd_, static_cast<off_t>(waited_), static_cast<off_t>(handed_ - waited_),
          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
    waited_ = handed_;
    handed_ = written_;
  }
  return true;
}

bool BlobStore::Writer::Finish() {
  if (fd_ < 0) return path_.empty();
  int rc = ::close(fd_);
  fd_ = -1;
  return rc == 0;
}

std::string BlobStore::Commit(const std::string& temp_path) {
  // A private temporary store dies with the process: flushing buys nothing.
  if (durable_) SyncPath(temp_path, O_RDONLY);
  std::string blob = RandomToken();
  if (::rename(temp_path.c_str(), PathOf(blob).c_str()) != 0) FailWrite("cannot store content");
  if (durable_) SyncPath(dir_, O_RDONLY | O_DIRECTORY);
  return blob;
}

std::string BlobStore::PutUnsynced(const std::string& bytes) {
  std::string blob = RandomToken();
  std::string path = PathOf(blob);
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) FailWrite("cannot write content");
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int error = errno;
      ::close(fd);
      ::unlink(path.c_str());
      errno = error;
      FailWrite("cannot write content");
    }
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  return blob;
}

void BlobStore::SyncAll() {
  if (!durable_) return;
  int fd = ::open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("cannot open " + dir_ + ": " + strerror(errno));
  // One syncfs(2) flushes every file written and the directory entries.
  int rc = ::syncfs(fd);
  int error = errno;
  ::close(fd);
  if (rc != 0) throw std::runtime_error("cannot flush " + dir_ + ": " + strerror(error));
}

void BlobStore::Discard(const std::string& temp_path) { ::unlink(temp_path.c_str()); }

void BlobStore::Remove(const std::string& blob) {
  if (!blob.empty()) ::unlink(PathOf(blob).c_str());
}

int BlobStore::Open(const std::string& blob) const {
  if (blob.empty()) return -1;
  return ::open(PathOf(blob).c_str(), O_RDONLY | O_CLOEXEC);
}

void BlobStore::Collect(const std::function<bool(const std::string&)>& referenced) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir_, ec)) {
    std::string name = entry.path().filename().string();
    if (name.rfind("tmp-", 0) == 0 || (name.size() == 32 && !referenced(name)))
      fs::remove(entry.path(), ec);
  }
}

}  // namespace orvex::docstore
