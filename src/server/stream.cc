#include "server/stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "server/error.h"

namespace orvex::server {

Stream::~Stream() { Close(); }

void Stream::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  size_ = 0;
  path_.clear();
}

void Stream::SetType(int32_t type) {
  if (fd_ >= 0) throw Error(kErrObjectOpen, "the stream already holds content");
  if (type != kStreamTypeBinary && type != kStreamTypeText)
    throw Error(kErrGenericFailure, "stream type " + std::to_string(type) + " is not known");
  type_ = type;
}

void Stream::SetEOS() { Close(); }

void Stream::LoadFromFile(const std::string& path) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) throw Error(kErrFileRead, "cannot open " + path + ": " + std::strerror(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw Error(kErrFileRead, path + " is not a regular file");
  }
  Close();
  fd_ = fd;
  size_ = static_cast<uint64_t>(st.st_size);
  path_ = path;
}

void Stream::Flush() {}

}  // namespace orvex::server
