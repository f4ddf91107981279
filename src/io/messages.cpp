#include "io/messages.h"

namespace io::diagnostic {

const char* message(int number) {
  switch (number) {
    case kPermissionDenied:
      return "permission to access file denied, unit %d, file %s";
    case kRecordTooLong:
      return "input record too long, unit %d, file %s";
    case kEndOfInput:
      return "end-of-file during read, unit %d, file %s";
    case kCloseError:
      return "CLOSE error, unit %d, file %s";
    case kFileNotFound:
      return "file not found, unit %d, file %s";
    case kOpenFailure:
      return "open failure, unit %d, file %s";
    case kWriteError:
      return "error during write, unit %d, file %s";
    case kReadError:
      return "error during read, unit %d, file %s";
    case kNoSuchDevice:
      return "no such device, unit %d, file %s";
    case kNameError:
      return "file name specification error, unit %d, file %s";
    case kConversionError:
      return "input conversion error, unit %d, file %s";
    case kRecordOverflow:
      return "output statement overflows record, unit %d, file %s";
    case kInterrupt:
      return "program aborting due to %s event";
  }
  return "unknown error, unit %d, file %s";
}

}  // namespace io::diagnostic
