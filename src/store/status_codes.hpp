// The record store's status codes: 0 success, a negative code on failure, a
// small positive result where an operation says so. StoreErrorText turns a
// code into its message.
#pragma once

#include <string>

namespace kestrel::store {

enum StoreCode : int {
  kOk = 0,
  kFail = -1,
  kParameterError = -2,
  kHandleError = -3,
  kDiskError = -4,
  kBadHeader = -5,
  kDiskWriteError = -6,
  kDiskFull = -8,
  kDiskReadError = -9,
  kOldFileOpenError = -10,
  kNewFileCreateError = -11,
  kIncompleteRecord = -12,
  kDataListError = -14,
  kDataReadError = -15,
  kNoCurrentRecord = -16,
  kUpdateIndexDeleteError = -17,
  kDataRecordError = -18,
  kDeleteDataRecordError = -19,
  kDataListChecksum = -20,
  kRecordChecksum = -21,
  kFieldTypeError = -22,
  kKeyTypeError = -23,
  kDupFlagError = -24,
  kFieldLengthError = -25,
  kStringLengthError = -26,
  kIndexNumberError = -27,
  kBufferOverflow = -28,
  kFileExists = -29,
  kCorruptedNode = -30,
  kCorruptedHeader = -31,
  kByteOrderModeError = -32,
  kReadOnly = -33,
  kMemoryError = -34,
  kIndexTypeError = -35,
  kIndexEntriesExist = -36,
  kSegmentListError = -37,
  kWriteInterrupted = -40,
  kInterrupted = -42,
  kInvalidNode = -43,
  kFileNotLocked = -101,
  kFileLocked = -102,
  kShareModeError = -103,
  kLockedByOther = -104,
  kLockedBySelf = -105,
  kUnlocked = -106,
  kMustBeLocked = -107,
  kTooManyUsers = -109,
  kTreeHeaderRead = -200,
  kTreeRoot = -201,
  kTreeFreeSpace = -202,
  kTreeEntryCount = -203,
  kTreeSamePointers = -204,
  kTreeForwardPointer = -205,
  kTreeReversePointer = -206,
  kTreeKeyLength = -207,
  kTreeChildPointer = -208,
  kTreeReadDown = -209,
  kTreeScanning = -210,
  kTreeNodeRead = -211,
  kTreeFreeChain = -212,
  kTreeCorruptedHeader = -213,
  kTreeKeySequence = -214,
  kInvalidKeyType = -301,
};

// The message of a code; an unknown code gives "(%d)" with the code.
std::string StoreErrorText(int code);

}  // namespace kestrel::store
