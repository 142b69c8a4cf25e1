// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
#ifndef ORVEX_TESTS_SUPPORT_TEMP_DIR_H_
#define ORVEX_TESTS_SUPPORT_TEMP_DIR_H_

#include <string>

namespace orvex::testing {

class TempDir {
 public:
  // Creates "<tmp>/orvex-<prefix>-XXXXXX"; throws std::runtime_error when
  // it cannot.
  explicit TempDir(const std::string& prefix = "test");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_TEMP_DIR_H_
