#include "platform/sys/WinError.h"

#include <cerrno>

namespace winerr {

int FromErrno(int err) {
  switch (err) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case ENODEV:
    case ENXIO:
    case ESHUTDOWN:
    case EPIPE:
      return ERROR_DEVICE_NOT_CONNECTED;
    case EBUSY:
      return ERROR_BUSY;
    case EINVAL:
    case EMSGSIZE:
      return ERROR_INVALID_PARAMETER;
    case ETIMEDOUT:
      return ERROR_TIMEOUT;
    case EINTR:
    case ECANCELED:
      return ERROR_OPERATION_ABORTED;
    default:
      return ERROR_GEN_FAILURE;
  }
}

}  // namespace winerr
