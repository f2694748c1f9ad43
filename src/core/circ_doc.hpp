// CCircDoc: the document of one circuit or hybrid: its kind, header and the
// owned list of part records kept sorted by (type id, PN, REFDES). Holds the
// record commands with their messages and the basic calculation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/circ_header.hpp"
#include "core/file_identity.hpp"
#include "core/part.hpp"

namespace kestrel {

class Ui;
struct WhatIfSettings;
class SubFileAccess;
class CCircDoc;

// Application-wide capacities. The header keeps the record count in 16 bits,
// so MaxRecs stays below 65 536; 16 000 records and 16 levels of sub-files
// cover the largest real assemblies.
inline constexpr std::size_t kMaxRecs = 16000;
inline constexpr int kMaxLevels = 16;

enum class DocKind : std::uint8_t { Circuit = 1, Hybrid = 2 };

// How the basic calculation reaches child circuit and hybrid files.
class SubFileAccess {
 public:
  virtual ~SubFileAccess() = default;
  struct Opened {
    CCircDoc* doc = nullptr;          // null: could not open (message shown)
    std::unique_ptr<CCircDoc> owned;  // set when opened here (close = destroy)
    bool wasAlreadyOpen = false;
  };
  // Open-or-find a document by path (compared upper-cased).
  virtual Opened open(const std::string& path, bool keepFiles, Ui& ui) = 0;
  // Saves a child document to its path.
  virtual bool save(CCircDoc& doc, Ui& ui) = 0;
  // Refreshes the views of a document that was already open.
  virtual void refreshViews(CCircDoc&) {}
};

// What the basic calculation needs from its caller.
struct CalcContext {
  explicit CalcContext(Ui& u, SubFileAccess* files = nullptr) : ui(u), subFiles(files) {}
  Ui& ui;
  SubFileAccess* subFiles = nullptr;  // null: sub-file records cannot be opened
  // The documents being calculated, outermost first: a child that is one of
  // them, under whatever name, closes a cycle.
  IdentityPath active;
};

class CCircDoc {
 public:
  explicit CCircDoc(DocKind kind = DocKind::Circuit);
  ~CCircDoc();
  CCircDoc(const CCircDoc&) = delete;
  CCircDoc& operator=(const CCircDoc&) = delete;

  DocKind kind() const { return kind_; }
  std::uint8_t kindByte() const { return static_cast<std::uint8_t>(kind_); }
  std::uint8_t hybridFlag() const { return kind_ == DocKind::Hybrid ? 1 : 0; }
  bool isHybrid() const { return kind_ == DocKind::Hybrid; }

  CCircHeader& header() { return header_; }
  const CCircHeader& header() const { return header_; }

  std::size_t count() const { return records_.size(); }
  CPart& record(std::size_t index) { return *records_.at(index); }
  const CPart& record(std::size_t index) const { return *records_.at(index); }
  const std::vector<std::unique_ptr<CPart>>& records() const { return records_; }

  // Title (file name) and path of the document; the title names it in progress lines.
  const std::string& title() const { return title_; }
  const std::string& path() const { return path_; }
  void setPath(std::string path);
  void setTitle(std::string title) { title_ = std::move(title); }
  bool isModified() const { return modified_; }
  void setModified(bool modified) { modified_ = modified; }

  // Inserts in sort order: after every record with an equal key, so records
  // with equal keys keep their insertion order. Returns the new position.
  // Keeps the header's record count equal to the list (a caller never sees
  // the two differ).
  std::size_t insertSorted(std::unique_ptr<CPart> part);
  // Appends a record read from a file, keeping the file's order.
  void appendLoaded(std::unique_ptr<CPart> part);
  // Removes and returns a record.
  std::unique_ptr<CPart> take(std::size_t index);
  // Removes every record.
  void clear();

  // ---- record commands: each checks its precondition and shows its message ----
  // Add: calculates the new record, inserts it, clears the header flags.
  // "ADD: circuit list is full." when the list holds MaxRecs records.
  std::optional<std::size_t> addRecord(std::unique_ptr<CPart> part, Ui& ui);
  // Paste: as Add, with "PASTE: circuit list is full." and "PASTE: can not get part object.".
  std::optional<std::size_t> pasteRecord(std::unique_ptr<CPart> part, Ui& ui);
  // Edit: the edited copy replaces the record at `selection` (none: "EDIT:
  // no part selection."). Returns the copy's new position.
  std::optional<std::size_t> replaceRecord(std::optional<std::size_t> selection,
                                           std::unique_ptr<CPart> edited, Ui& ui);
  // A new record of `typeId` holding every base field but the type id of the
  // record at `index` (null when the type can not be made).
  std::unique_ptr<CPart> convertedRecord(std::size_t index, std::uint16_t typeId) const;
  // Convert Type: a new record of `typeId` takes every base field but the
  // type id of the selected one and replaces it ("CONVERT: no part selection.").
  std::optional<std::size_t> convertRecord(std::optional<std::size_t> selection,
                                           std::uint16_t typeId, Ui& ui);
  // Delete after "PN: '%.25s'\nDelete Record# %d?" ("DELETE: no part
  // selection."). Returns the selection afterwards (same position, or the new
  // last record), or the old selection when nothing was deleted.
  std::optional<std::size_t> deleteRecord(std::optional<std::size_t> selection, Ui& ui);

  // The lines of the detail box for a selected record, joined by "\r\n".
  std::string detailText(std::size_t index) const;
  // "%s    %s": list title and "Record: %d of %u".
  std::string selectionTitle(std::size_t index) const;

  // The basic calculation of this document at `level` (the caller's level;
  // the document's own is level + 1). A negative mission time keeps the
  // header's. Returns success; on failure the header flags stay clear.
  bool BasicCalc(CalcContext& context, int level, double missionTime,
                 WhatIfSettings* whatIf = nullptr, bool keepFiles = false);

  // The lines the Calculate command shows on success: "'%s' Calculation
  // Results:" and "FR=%s fpmh   MTBF=%s hrs.   Parts=%s", then with `mission`
  // "MissionMTBF=%s hrs." and "MissionR=%s   BasicR=%s".
  std::vector<std::string> resultLines(bool mission) const;

  // The mission reliability after a successful BasicCalc of the same run:
  // sub-circuits one level deeper, records combined by the header's model.
  bool MissionCalc(CalcContext& context, int level);
  // The circuit reliability at time t (hours), into the header's
  // reliability at time t; sub-circuits are read but never saved.
  bool SystemR(CalcContext& context, int level, double t);
  // The mission MTBF: the integral of R(t) from 0 to infinity. The number of
  // R(t) evaluations it took is added to `evaluations` when given.
  bool MissionMTBF(CalcContext& context, long* evaluations = nullptr);

  // Recalculates every record against the header (after a header edit).
  void recalculateRecords();

  // The total the share column of a record is taken against: -1 while the
  // header flags are clear, else the sum of TFR (circuit) or SUMCHIPS
  // (hybrid). Walks the records: take it once per listing.
  double shareBase() const;

 private:
  // Marks this document as being calculated while a child is (cycle check).
  class ActiveDocument {
   public:
    ActiveDocument(CalcContext& context, const CCircDoc& doc);
    ~ActiveDocument();
    ActiveDocument(const ActiveDocument&) = delete;
    ActiveDocument& operator=(const ActiveDocument&) = delete;

   private:
    CalcContext& context_;
  };

  SubFileAccess::Opened openChild(CalcContext& context, const CPart& part, std::size_t recordNumber,
                                  bool keepFiles) const;
  bool finishChild(CalcContext& context, SubFileAccess::Opened& child, const CPart& part,
                   std::size_t recordNumber);
  bool calculateSubFile(CalcContext& context, CPart& part, std::size_t recordNumber, int level,
                        double missionTime, WhatIfSettings* whatIf, bool keepFiles);
  void sumTotals(Ui& ui);
  void writeStage(Ui& ui, int level, const char* activity) const;

  DocKind kind_;
  CCircHeader header_;
  std::vector<std::unique_ptr<CPart>> records_;
  std::string title_ = "Untitled";
  std::string path_;
  bool modified_ = false;
};

// Record order: type id, then PN, then REFDES, texts compared byte-wise.
bool sortsBefore(const CPart& a, const CPart& b);

// The path of a sub-file: the parent document's folder with the file name of
// `fileName` (any folder in `fileName` is ignored).
std::string subFilePath(const std::string& parentPath, const std::string& fileName);


}  // namespace kestrel
