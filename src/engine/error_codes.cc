#include "engine/error_codes.h"

#include "server/error.h"

namespace orvex::engine {

int32_t MapErrorNumber(int32_t number) {
  switch (number) {
    case server::kErrObjectOpen:
      return kCodeAlreadyOpen;
    case server::kErrPermissionDenied:
      return kCodePermissionDenied;
    case server::kErrObjectNotFound:
      return kCodeNotFound;
    case server::kErrFileRead:
      return kCodeFileRead;
    case server::kErrAlreadyExists:
      return kCodeAlreadyExists;
    case server::kErrAccessDenied:
      return kCodeAccessDenied;
    default:
      return kCodeFailure;
  }
}

}  // namespace orvex::engine
