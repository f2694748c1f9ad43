// Salvage of libraries and cross-reference files: the copies a block scan
// found are judged as each file kind reads its records, then written anew.
#include "store/library/salvage.hpp"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "core/part.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "store/library/job_batches.hpp"
#include "store/library/keyed_file.hpp"
#include "store/library/part_blob.hpp"
#include "store/record_codec.hpp"
#include "store/status_codes.hpp"

namespace kestrel::library {
namespace {

using store::CopyPlace;
using store::SalvagedCopy;
using store::SalvageScan;

std::string textOf(const store::FieldValue& v) {
  return {reinterpret_cast<const char*>(v.bytes.data()), v.bytes.size()};
}

std::string sourceOf(const std::string& path, std::uint32_t record) {
  return strprintf("'%s' R%ld", path.c_str(), static_cast<long>(record));
}

// The part's own messages start with the file and record: the loss line
// names them once.
std::string withoutSource(const std::string& message, const std::string& source) {
  return message.rfind(source + ": ", 0) == 0 ? message.substr(source.size() + 2) : message;
}

bool parse(const SalvagedCopy& c, std::span<const store::DataField> layout, const store::ByteOrder& o,
           std::vector<store::FieldValue>& values, std::string& why) {
  // The store checks a record against its fields without the end entry.
  const auto fields = layout.first(static_cast<std::size_t>(store::dataListFieldCount(layout)));
  const int rc = store::parseRecord(c.data, fields, o, true, values);
  if (rc != store::kOk) why = store::StoreErrorText(rc);
  return rc == store::kOk && values.size() == fields.size();
}

bool judgeCopy(const SalvagedCopy& c, const store::ByteOrder& o, const std::string& path, LibEntry& e, std::string& why) {
  std::vector<store::FieldValue> v;
  if (!parse(c, libraryLayout(), o, v, why)) return false;
  e.record = static_cast<std::int32_t>(c.number);
  e.pn = textOf(v[0]);
  e.pn2 = textOf(v[1]);
  e.type = static_cast<std::uint16_t>(v[2].integer);
  e.hybrid = static_cast<std::uint8_t>(v[3].integer);
  e.blob.assign(v[4].bytes.begin(), v[4].bytes.end());
  e.stamp = static_cast<std::int32_t>(v[6].integer);
  const std::string source = sourceOf(path, c.number);
  std::unique_ptr<CPart> part;
  if (Status s = decodePartBlob(e.blob, e.hybrid != 0, source, part); !s) {
    why = withoutSource(s.message(), source);
    return false;
  }
  if (!partMatchesItsKeys(*part, e)) {
    why = "the part does not match its keys";
    return false;
  }
  return true;
}

bool judgeCopy(const SalvagedCopy& c, const store::ByteOrder& o, const std::string& path, XRefEntry& e, std::string& why) {
  std::vector<store::FieldValue> v;
  if (!parse(c, xrefLayout(), o, v, why)) return false;
  e.record = static_cast<std::int32_t>(c.number);
  e.pn = textOf(v[0]);
  e.libPn = textOf(v[1]);
  const std::string source = sourceOf(path, c.number);
  if (Status s = decodeXRef(v[2].bytes, source, e.xref); !s) {
    why = withoutSource(s.message(), source);
    return false;
  }
  if (upperCased(cut(e.xref.pn, kNumberLength)) != e.pn || upperCased(cut(e.xref.libPn, kNumberLength)) != e.libPn) {
    why = "the record does not match its keys";
    return false;
  }
  return true;
}

const char* headerName(const LibEntry*) { return "LIBHEADER"; }
const char* headerName(const XRefEntry*) { return "XREFHEADER"; }

// Header records 2..4 of `name`, the best copy of each.
bool readTexts(const SalvageScan& scan, const char* name, HeaderTexts& texts) {
  std::string* slots[] = {nullptr, nullptr, &texts.description, &texts.notesTitle, &texts.notes};
  bool found = false;
  std::set<std::uint32_t> done;
  for (const SalvagedCopy& c : scan.copies) {
    if (c.index != store::kNamedIndex || c.number < 2 || c.number > 4 || !done.insert(c.number).second) continue;
    if (c.key.size() != std::strlen(name) + 1 || std::memcmp(c.key.data(), name, c.key.size()) != 0) {
      done.erase(c.number);
      continue;
    }
    const auto end = std::find(c.data.begin(), c.data.end(), 0);
    *slots[c.number] = cut(std::string(c.data.begin(), end), kHeaderReadLimit[c.number] - 1);
    found = true;
  }
  return found;
}

template <typename Entry>
void judge(const SalvageScan& scan, const std::string& path, Salvaged<Entry>& out) {
  out = {};
  struct Kept {
    Entry entry;
    CopyPlace place;
  };
  std::vector<Kept> kept;
  std::map<std::uint32_t, LostRecord> lost;
  for (const SalvagedCopy& c : scan.copies) {
    if (c.index != store::kDataIndex) continue;
    const bool have = !kept.empty() && kept.back().entry.record == static_cast<std::int32_t>(c.number);
    Entry e;
    std::string why;
    if (!judgeCopy(c, scan.order, path, e, why)) {
      if (!have) lost.emplace(c.number, LostRecord{static_cast<std::int32_t>(c.number), c.node, why});
      continue;
    }
    if (have) {
      ++out.duplicates;
      continue;
    }
    lost.erase(c.number);
    kept.push_back({std::move(e), c.place});
  }
  std::set<std::int32_t> keptNumbers;
  for (const Kept& k : kept) keptNumbers.insert(k.entry.record);
  for (const store::DamagedCopy& d : scan.damaged) {
    if (keptNumbers.count(static_cast<std::int32_t>(d.number)) == 0) {
      lost.emplace(d.number, LostRecord{static_cast<std::int32_t>(d.number), d.node, store::StoreErrorText(d.code)});
    }
  }
  // One record per number key: the copy in the tree wins, then the lower record number.
  std::stable_sort(kept.begin(), kept.end(), [](const Kept& a, const Kept& b) { return a.place < b.place; });
  std::set<std::string> keys;
  for (Kept& k : kept) {
    if (keys.insert(k.entry.pn).second) out.entries.push_back(std::move(k.entry));
    else ++out.duplicates;
  }
  std::sort(out.entries.begin(), out.entries.end(), [](const Entry& a, const Entry& b) { return a.record < b.record; });
  for (auto& [number, l] : lost) out.lost.push_back(std::move(l));
  out.unaccounted = std::max(0L, scan.headerRecords - static_cast<long>(out.entries.size() + out.lost.size()));
  out.textsFound = readTexts(scan, headerName(static_cast<const Entry*>(nullptr)), out.texts);
}

template <typename Entry>
bool salvageOpen(LibraryHome& home, Salvaged<Entry>& out) {
  KeyedFile* file = home.keyedFile();
  store::StoreFile* raw = file != nullptr ? file->store().RawFile() : nullptr;
  store::SalvageScan scan;
  if (raw == nullptr || store::scanStoreFile(*raw, scan) != store::kOk) return false;
  judge(scan, home.path(), out);
  return true;
}

Outcome addEntry(PartLibrary& lib, const LibEntry& e) {
  std::unique_ptr<CPart> part;
  if (Status s = decodePartBlob(e.blob, e.hybrid != 0, sourceOf(lib.path(), e.record), part); !s) {
    lib.fail(s.code(), "add error", s.message());
    return Outcome::Failed;
  }
  return lib.addStamped(*part, e.stamp);
}

Outcome addEntry(XRefFile& x, const XRefEntry& e) { return x.add(e.xref); }

// Writes the kept records into the new file; false (with `out.failure`) when
// the file could not be written or the user cancelled.
template <typename File, typename Entry>
bool writeRecovered(const std::string& output, const Salvaged<Entry>& s, Ui& ui, store::StoreFileSystem* fs,
                    RecoverOutcome& out) {
  StoreMessage error;
  auto file = File::create(output, error, fs);
  if (!file) {
    out.failure = Status::error(StatusCode::Io, oneLine(error.text()));
    return false;
  }
  if (s.textsFound && !file->writeHeader(s.texts)) {
    out.failure = Status::error(StatusCode::Io, oneLine(file->error().text()));
    return false;
  }
  JobBatches jobs(*file);
  long done = 0;
  const long total = static_cast<long>(s.entries.size());
  auto failed = [&] {
    out.failure = Status::error(StatusCode::Io, oneLine(file->error().text()));
    return false;
  };
  for (const Entry& e : s.entries) {
    if (ui.cancelRequested()) {
      if (!jobs.pause()) return failed();
      ui.clearCancel();
      if (ui.confirm("Cancel recovery?")) {
        ui.log(strprintf("   ...Cancel (R%ld).", static_cast<long>(e.record)));
        out.failure = Status::error(StatusCode::Cancelled, "cancelled");
        return false;
      }
    }
    if (!jobs.beforeChange()) return failed();
    const Outcome o = addEntry(*file, e);
    if (o == Outcome::Ok) ++out.kept;
    else if (o == Outcome::Duplicate) ++out.duplicates;
    else return failed();
    if (!jobs.afterChange()) return failed();
    if (++done % 256 == 0 || done == total) {
      ui.progressLine(3, recoverSummary(out));
      ui.progressBar(static_cast<int>(done), static_cast<int>(total));
    }
    if (!ui.processEvents()) {
      out.failure = Status::error(StatusCode::Cancelled, "cancelled");
      return false;
    }
  }
  if (!jobs.finish(true)) return failed();
  if (!file->close()) {
    out.failure = Status::error(StatusCode::Io, oneLine(file->error().text()));
    return false;
  }
  return true;
}

template <typename File, typename Entry>
bool recoverAs(const store::SalvageScan& scan, const std::string& damaged, const std::string& output, Ui& ui,
               store::StoreFileSystem* fs, RecoverOutcome& out) {
  Salvaged<Entry> s;
  judge(scan, damaged, s);
  out.duplicates = s.duplicates;
  out.lost = s.lostCount();
  for (const LostRecord& l : s.lost) out.lostLines.push_back(lostRecordLine(damaged, l));
  if (s.unaccounted > 0) {
    out.lostLines.push_back(strprintf("'%s': %ld more records counted by the header left no readable trace",
                                      damaged.c_str(), s.unaccounted));
  }
  for (const std::string& line : out.lostLines) ui.log("   ...Lost: " + line + ".");
  for (std::int32_t node : scan.unreadable) {
    ui.log(strprintf("   ...Damaged: '%s' node %ld: the entries after a damaged one can not be read.", damaged.c_str(),
                     static_cast<long>(node)));
  }
  return writeRecovered<File, Entry>(output, s, ui, fs, out);
}

bool namedAs(const store::SalvageScan& scan, const char* name) {
  for (const SalvagedCopy& c : scan.copies) {
    if (c.index == store::kNamedIndex && c.key.size() == std::strlen(name) + 1 &&
        std::memcmp(c.key.data(), name, c.key.size()) == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace

void judgeLibrary(const store::SalvageScan& scan, const std::string& path, Salvaged<LibEntry>& out) {
  judge(scan, path, out);
}

void judgeXRef(const store::SalvageScan& scan, const std::string& path, Salvaged<XRefEntry>& out) {
  judge(scan, path, out);
}

bool salvageOpenFile(PartLibrary& lib, Salvaged<LibEntry>& out) { return salvageOpen(lib, out); }
bool salvageOpenFile(XRefFile& xref, Salvaged<XRefEntry>& out) { return salvageOpen(xref, out); }

std::string lostRecordLine(const std::string& path, const LostRecord& lost) {
  return strprintf("'%s' R%ld (node %ld): %s", path.c_str(), static_cast<long>(lost.record),
                   static_cast<long>(lost.node), lost.why.c_str());
}

std::string recoverSummary(const RecoverOutcome& out) {
  return strprintf("Kept:%ld  Lost:%ld  Duplicates:%ld", out.kept, out.lost, out.duplicates);
}

RecoverOutcome recoverKeyedFile(const std::string& damaged, const std::string& output, bool replaceOutput, Ui& ui,
                                store::StoreFileSystem* fsp) {
  RecoverOutcome out;
  store::StoreFileSystem& fs = fsp != nullptr ? *fsp : store::posixStoreFileSystem();
  std::string startError;
  if (!startStore(startError)) {
    out.failure = Status::error(StatusCode::Failed, startError);
    return out;
  }
  std::error_code ec;
  if (damaged == output || std::filesystem::equivalent(damaged, output, ec)) {
    out.failure =
        Status::error(StatusCode::InvalidArgument, quoted(output) + ": the new file can not be the damaged file");
    return out;
  }
  ui.log(strprintf("Recover '%s'...", damaged.c_str()));
  ui.log(strprintf("...into '%s'...", output.c_str()));
  ui.progressLine(2, damaged);
  store::SalvageScan scan;
  const int rc = store::scanStore(damaged, scan, &fs);
  if (rc != store::kOk) {
    const bool missing = rc == store::kFail;
    out.failure = Status::error(missing ? StatusCode::NotFound : StatusCode::Corrupt,
                                quoted(damaged) + ": " + (missing ? "can not open the file" : store::StoreErrorText(rc)));
    return out;
  }
  const std::string ext = upperCased(std::filesystem::path(damaged).extension().string());
  out.kind = namedAs(scan, "XREFHEADER") || (!namedAs(scan, "LIBHEADER") && ext == ".XRF") ? KeyedKind::XRef
                                                                                             : KeyedKind::Library;
  store::OpenResult r;
  if (fs.open(output, false, r) != nullptr) {
    if (!replaceOutput) {
      out.failure = Status::error(StatusCode::AlreadyExists, quoted(output) + ": file already exists");
      return out;
    }
    if (!fs.remove(output)) {
      out.failure = Status::error(StatusCode::Io, quoted(output) + ": can not remove the old file");
      return out;
    }
  }
  ui.log(strprintf("...%ld blocks read...", scan.blocks));
  const bool written = out.kind == KeyedKind::Library
                           ? recoverAs<PartLibrary, LibEntry>(scan, damaged, output, ui, &fs, out)
                           : recoverAs<XRefFile, XRefEntry>(scan, damaged, output, ui, &fs, out);
  if (!written) {
    fs.remove(output);
    if (out.failure) {
      out.failure = Status::error(StatusCode::Io, quoted(output) + ": can not write the new file");
    }
    ui.log("...Error: " + out.failure.message() + ".");
    return out;
  }
  ui.log("..." + recoverSummary(out) + "...");
  ui.log("...Complete.");
  out.ok = true;
  return out;
}

}  // namespace kestrel::library
