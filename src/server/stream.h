// The content stream of a document object.
//
// The engine fills a document's content the way a stream is filled: Type
// (1 binary, 2 text), SetEOS at the current position, LoadFromFile with a
// local path, then Flush. The bytes are not copied into memory: LoadFromFile
// opens the file and keeps it open, and the document's save-to sends the
// content straight from that file. Opening happens in LoadFromFile, so a
// missing or unreadable file fails there, before anything is sent. A file
// removed after it was loaded is still sent whole (the open descriptor keeps
// it); a file cut short while it is being sent fails the save-to.
#ifndef ORVEX_SERVER_STREAM_H_
#define ORVEX_SERVER_STREAM_H_

#include <cstdint>
#include <string>

namespace orvex::server {

inline constexpr int32_t kStreamTypeBinary = 1;
inline constexpr int32_t kStreamTypeText = 2;

class Stream {
 public:
  Stream() = default;
  virtual ~Stream();
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  int32_t Type() const { return type_; }
  // Throws server::Error(kErrObjectOpen) once content is loaded: the type of
  // a stream holding content cannot change.
  virtual void SetType(int32_t type);
  // Ends the content at the current position, which is always the start
  // until content is loaded: the stream becomes empty.
  virtual void SetEOS();
  // Makes the local file at `path` the stream's content. Throws
  // server::Error(kErrFileRead) when it cannot be opened for reading or is
  // not a regular file (a directory, say).
  virtual void LoadFromFile(const std::string& path);
  // Marks the content complete; nothing is buffered, so nothing is written.
  virtual void Flush();

  // For the provider: the open file (-1 when the stream is empty) and the
  // number of bytes it held when it was loaded.
  int fd() const { return fd_; }
  uint64_t size() const { return size_; }
  const std::string& path() const { return path_; }

 private:
  void Close();

  int32_t type_ = kStreamTypeText;
  int fd_ = -1;
  uint64_t size_ = 0;
  std::string path_;
};

}  // namespace orvex::server

#endif  // ORVEX_SERVER_STREAM_H_
