#include "store/library/library_copy.hpp"

#include <functional>
#include <memory>

#include "core/part.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "store/library/library_list.hpp"
#include "store/library/library_location.hpp"
#include "store/library/part_library.hpp"
#include "store/library/remove_library.hpp"
#include "store/library/xref_file.hpp"

namespace kestrel::library {

std::string copySummary(const CopyOutcome& out) {
  return strprintf("Copied:%ld  Records:%ld", out.copied, out.records);
}

namespace {

// Progress is redrawn once per this many records: a redraw per record would
// cost more than the copy of a record itself.
constexpr long kProgressEvery = 256;

// "...Error: %s." for a failure whose message may end in a full stop already.
std::string errorLine(const Status& failure) {
  std::string text = failure.message();
  while (!text.empty() && text.back() == '.') text.pop_back();
  return "...Error: " + text + ".";
}

// The copy of either kind. `copyEntry` checks one listed entry of the source
// and adds it to the target; false (with a message) stops the copy.
template <typename File, typename Entry>
CopyOutcome copyWhole(const std::string& sourceName, const std::string& targetName, Ui& ui,
                      store::StoreFileSystem* fs,
                      const std::function<bool(File& source, File& target, const Entry&, Status&)>& copyEntry) {
  CopyOutcome out;
  ui.log(strprintf("Copy '%s'...", sourceName.c_str()));
  ui.log(strprintf("...into '%s'...", targetName.c_str()));
  StoreMessage error;
  std::unique_ptr<File> source = File::open(sourceName, false, error, fs);
  if (!source) {
    out.failure = error.status();
    ui.log(errorLine(out.failure));
    return out;
  }
  out.records = source->count();
  HeaderTexts texts;
  if (out.records < 0 || !source->readHeader(texts)) {
    out.failure = source->error().status();
    ui.log(errorLine(out.failure));
    return out;
  }
  std::unique_ptr<File> target = File::create(targetName, error, fs);
  if (!target) {
    out.failure = error.status();
    ui.log(errorLine(out.failure));
    return out;
  }
  ui.log(strprintf("...copying %ld records...", out.records));
  ui.progressLine(2, sourceName);

  // Whatever stops the copy undoes the job and takes the new library away.
  bool inJob = false;
  auto undo = [&](Status why) {
    out.failure = std::move(why);
    out.copied = 0;
    if (inJob) target->endJob(false);
    target->close();
    target.reset();
    if (!removeLibrary(targetName, fs)) out.leftBehind = targetName;
    ui.log(errorLine(out.failure));
    if (!out.leftBehind.empty()) {
      ui.log(strprintf("...'%s' is left behind: remove it.", out.leftBehind.c_str()));
    }
    return out;
  };

  inJob = target->beginJob();
  if (!inJob || !target->writeHeader(texts)) return undo(target->error().status());
  ListWalk walk;
  Status stopped = Status::ok();
  const Outcome walked = walkList<File, Entry>(*source, [&](const Entry& e) {
    if (!copyEntry(*source, *target, e, stopped)) return false;
    ++out.copied;
    if (out.copied % kProgressEvery == 0 || out.copied == out.records) {
      ui.progressLine(3, strprintf("...Copied:%ld...", out.copied));
      ui.progressBar(static_cast<int>(out.copied), static_cast<int>(out.records));
    }
    if (!ui.processEvents() || ui.cancelRequested()) {
      if (ui.confirm("Cancel copy?")) {
        ui.log(strprintf("...Cancel (#%ld).", out.copied));
        stopped = Status::error(StatusCode::Cancelled, quoted(targetName) + ": the copy was cancelled");
        return false;
      }
      ui.clearCancel();
    }
    return true;
  }, walk);
  if (!stopped) {
    out.cancelled = stopped.code() == StatusCode::Cancelled;
    return undo(stopped);
  }
  if (walked == Outcome::Failed) return undo(source->error().status());
  inJob = false;
  if (!target->endJob(true)) return undo(target->error().status());
  if (!target->close()) return undo(target->error().status());
  ui.log(strprintf("...Copied:%ld...", out.copied));
  ui.log("...Complete.");
  out.ok = true;
  return out;
}

// A record that could not be read stops the copy naming it.
template <typename File, typename Entry>
bool readable(File& source, const Entry& e, Status& stopped) {
  if (e.damaged.empty()) return true;
  stopped = Status::error(StatusCode::Corrupt,
                          strprintf("%s R%ld: %s", quoted(source.path()).c_str(), static_cast<long>(e.record),
                                    e.damaged.c_str()));
  return false;
}

// The outcome of an add into the new library: a duplicate there means the
// source holds one number twice, which its own index forbids.
template <typename File>
bool added(File& target, Outcome o, const std::string& pn, Status& stopped) {
  if (o == Outcome::Ok) return true;
  stopped = target.error().status(o == Outcome::Duplicate ? strprintf("PN '%s': ", pn.c_str()) : std::string());
  return false;
}

}  // namespace

CopyOutcome copyLibrary(const std::string& source, const std::string& target, Ui& ui, store::StoreFileSystem* fs) {
  return copyWhole<PartLibrary, LibEntry>(
      source, target, ui, fs,
      [](PartLibrary& from, PartLibrary& into, const LibEntry& e, Status& stopped) {
        if (!readable(from, e, stopped)) return false;
        std::unique_ptr<CPart> part;
        if (!from.partOf(e, part)) {
          stopped = from.error().status();  // it names the record
          return false;
        }
        return added(into, into.addEntry(e), e.pn, stopped);
      });
}

CopyOutcome copyXRef(const std::string& source, const std::string& target, Ui& ui, store::StoreFileSystem* fs) {
  return copyWhole<XRefFile, XRefEntry>(
      source, target, ui, fs, [](XRefFile& from, XRefFile& into, const XRefEntry& e, Status& stopped) {
        return readable(from, e, stopped) && added(into, into.add(e.xref), e.pn, stopped);
      });
}

}  // namespace kestrel::library
