#include "store/library/store_message.hpp"

#include "core/strfmt.hpp"
#include "store/status_codes.hpp"

namespace kestrel::library {

std::string StoreMessage::text() const {
  return strprintf("%s...\n...%s...\n...%s.", context.c_str(), what.c_str(), detail.c_str());
}

StatusCode statusCodeOf(int storeCode) {
  using namespace store;
  switch (storeCode) {
    case kOk:
      return StatusCode::Ok;
    case kFail:  // a key or file that is not there
    case kNoCurrentRecord:
      return StatusCode::NotFound;
    case kFileExists:
      return StatusCode::AlreadyExists;
    case kReadOnly:
      return StatusCode::Denied;
    case kFileLocked:
    case kLockedByOther:
    case kTooManyUsers:
      return StatusCode::Locked;
    case kDiskError:
    case kDiskWriteError:
    case kDiskFull:
    case kDiskReadError:
    case kOldFileOpenError:
    case kNewFileCreateError:
      return StatusCode::Io;
    case kBadHeader:
    case kIncompleteRecord:
    case kDataReadError:
    case kDataRecordError:
    case kDataListChecksum:
    case kRecordChecksum:
    case kCorruptedNode:
    case kCorruptedHeader:
    case kByteOrderModeError:
    case kWriteInterrupted:
    case kInvalidNode:
      return StatusCode::Corrupt;
    case kParameterError:
    case kFieldLengthError:
    case kStringLengthError:
    case kIndexNumberError:
    case kInvalidKeyType:
      return StatusCode::InvalidArgument;
    default:
      break;
  }
  // Tree faults found by a check are damage too.
  if (storeCode <= kTreeHeaderRead && storeCode >= kTreeKeySequence) return StatusCode::Corrupt;
  return StatusCode::Failed;
}

std::string oneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n') c = ' ';
  }
  return text;
}

}  // namespace kestrel::library
