// Transfer: the part records of every circuit file an input file pattern
// names are copied into the open library; Update: the part records of such
// files (and, when asked, of their whole hierarchies) are rewritten from the
// library, keeping the circuit-specific fields chosen. Both write their
// progress to the operation log through the Ui, poll its cancel request
// between records, and end a file at its first error.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/file_system.hpp"
#include "core/open_documents.hpp"
#include "store/library/part_filters.hpp"
#include "store/library/part_library.hpp"

namespace kestrel {
class Ui;
}

namespace kestrel::library {

struct TransferOptions {
  std::string inputSpec = "*.CIR";
  bool replaceDuplicates = false;
  bool clearRefDes = false;
  bool clearLcn = false;
  bool setQuantityOne = false;
  PartFilters filters;
};

struct TransferCounters {
  long succeed = 0;
  long duplicate = 0;
  long replaced = 0;
  long filterOut = 0;
};

struct TransferOutcome {
  TransferCounters total;
  int files = 0;
  int failedFiles = 0;
  bool cancelled = false;
};

// The confirmation, one line each ("The Transfer operation will read ...").
std::vector<std::string> transferConfirmation(const TransferOptions& options, const std::string& libraryPath);
// "Succeed:%ld  DuplicatePN:%ld  FilterOut:%ld" or the ReplaceDuplicatePN form.
std::string transferCountersLine(const TransferCounters& c, bool replace);
// A circuit file open in a window is read as the window holds it.
TransferOutcome runTransfer(PartLibrary& lib, const TransferOptions& options, FileSystem& fs, Ui& ui,
                            OpenDocuments& open = OpenDocuments::none());

struct UpdateOptions {
  std::string inputSpec = "*.CIR";
  bool pn2 = false;
  bool refdes = false;
  bool descr = false;
  bool lcn = false;
  bool quantity = false;
  bool correctionFactor = false;
  bool notes = false;
  bool appParams = false;
  PartFilters filters;
  // Also every sub-circuit and sub-hybrid file below the files named.
  bool recursive = false;
};

struct UpdateCounters {
  long updated = 0;
  long notFound = 0;
  long filterOut = 0;
};

struct UpdateOutcome {
  UpdateCounters total;
  int files = 0;
  int failedFiles = 0;
  std::vector<std::string> saved;
  bool cancelled = false;
};

std::vector<std::string> updateConfirmation(const UpdateOptions& options, const std::string& libraryPath);
// "Update:%ld  NotFound:%ld  FilterOut:%ld".
std::string updateCountersLine(const UpdateCounters& c);
// A circuit file open in a window is updated in the window's document
// ("...already open: updating view..."), never saved behind it.
UpdateOutcome runUpdate(PartLibrary& lib, const UpdateOptions& options, FileSystem& fs, Ui& ui,
                        OpenDocuments& open = OpenDocuments::none());

// Reads a circuit or hybrid file for transfer or update; on failure logs
// "   ...Error: can not open." and the reason, and returns false.
bool readInputFile(FileSystem& fs, const std::string& path, Ui& ui, std::unique_ptr<CCircDoc>& doc);

}  // namespace kestrel::library
