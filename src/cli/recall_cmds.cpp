// kestrel recall / transfer / update: parts from a library into a circuit,
// circuit parts into a library, and circuit files refreshed from a library.
#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/doc_io.hpp"
#include "cli/exit_codes.hpp"
#include "cli/json_result.hpp"
#include "cli/library_cli.hpp"
#include "cli/stored_text_arg.hpp"
#include "cli/terminal_ui.hpp"
#include "core/file_system.hpp"
#include "core/registry.hpp"
#include "exchange/part_numbers/part_number_decoder.hpp"
#include "store/library/recall.hpp"
#include "store/library/transfer.hpp"

namespace kestrel::cli {
namespace {

struct RecallJob {
  std::string circuit;
  std::string library;
  std::vector<std::string> numbers;
  std::vector<std::string> refdes;
  std::string xref;
  int xrefMove = 0;
  bool decode = false;  // numbers in no library go to the part-number decoder
  bool json = false;
};

struct MoveJob {
  std::string circuit;  // a file or a specification with * and ?
  std::string library;
  bool replace = false, clearRefDes = false, clearLcn = false, qtyOne = false;
  bool pn2 = false, refdes = false, descr = false, lcn = false, qty = false, cf = false, notes = false, app = false;
  bool recursive = false;
  std::string type;
  std::string pn;
  bool json = false;
};

bool setFilters(const MoveJob& job, library::PartFilters& f) {
  if (!job.type.empty()) {
    const PartType* t = resolvePartType(job.type);
    if (t == nullptr) {
      std::cerr << "kestrel: --type: '" << job.type << "' is not a part type\n";
      return false;
    }
    f.typeOn = true;
    f.type = t->id;
  }
  f.pnOn = !job.pn.empty();
  f.pn = job.pn.substr(0, 40);
  return true;
}

int runRecall(const RecallJob& job, const GlobalOptions& global) {
  if (job.refdes.size() > job.numbers.size()) {
    std::cerr << "kestrel: more --refdes than part numbers\n";
    return kExitUserError;
  }
  DocumentLock lock;
  if (!lockForChange(job.circuit, lock)) return kExitUserError;
  auto doc = openDocument(job.circuit);
  if (!doc) return kExitBadInput;
  std::vector<library::RecallRequest> requests;
  for (std::size_t i = 0; i < job.numbers.size(); ++i) {
    requests.push_back({job.numbers[i], i < job.refdes.size() ? job.refdes[i] : std::string()});
  }
  library::RecallSettings settings{job.library, !job.xref.empty(), job.xref, job.xrefMove};
  library::RecallCounters counters;
  {
    TerminalUi ui(global.assumeYes, global.quiet);
    const library::PartNumberDecoder decoder = job.decode ? library::PartNumberDecoder(part_numbers::decodeForRecall) : nullptr;
    if (!library::recallIntoDocument(*doc, settings, requests, ui, counters, decoder)) return kExitBadInput;
  }
  if (counters.recalled > 0 && !saveDocumentTo(*doc, job.circuit)) return kExitUserError;
  if (job.json) {
    printJsonResult("recall", {{"file", jsonString(mixedToUtf8(job.circuit))},
                               {"recalled", jsonInteger(counters.recalled)},
                               {"notFound", jsonInteger(counters.notFound)},
                               {"refused", jsonInteger(counters.refused)}});
  } else {
    std::cout << library::recallCountersLine(counters) << '\n';
  }
  return counters.recalled == static_cast<long>(requests.size()) ? kExitOk : kExitUserError;
}

std::unique_ptr<library::PartLibrary> openForJob(const std::string& path) {
  library::StoreMessage error;
  auto lib = library::PartLibrary::open(path, true, error);
  if (!lib) printStoreMessage(error);
  return lib;
}

bool confirmed(TerminalUi& ui, const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\n";
  text.pop_back();
  return ui.confirm(text);
}

int runTransferJob(const MoveJob& job, const GlobalOptions& global) {
  library::TransferOptions o;
  o.inputSpec = job.circuit;
  o.replaceDuplicates = job.replace;
  o.clearRefDes = job.clearRefDes;
  o.clearLcn = job.clearLcn;
  o.setQuantityOne = job.qtyOne;
  if (!setFilters(job, o.filters)) return kExitUserError;
  auto lib = openForJob(job.library);
  if (!lib) return kExitBadInput;
  Session& session = global.session();
  library::TransferOutcome out;
  {
    TerminalUi ui(global.assumeYes, global.quiet, &session.log);
    if (!confirmed(ui, library::transferConfirmation(o, lib->path()))) return kExitUserError;
    session.beginLog("TRANSFER");
    out = library::runTransfer(*lib, o, posixFileSystem(), ui);
  }
  session.log.end();
  if (job.json) {
    printJsonResult("transfer", {{"library", jsonString(mixedToUtf8(job.library))},
                                 {"succeed", jsonInteger(out.total.succeed)},
                                 {"duplicatePN", jsonInteger(out.total.duplicate)},
                                 {"replaced", jsonInteger(out.total.replaced)},
                                 {"filterOut", jsonInteger(out.total.filterOut)},
                                 {"files", jsonInteger(out.files)},
                                 {"failedFiles", jsonInteger(out.failedFiles)},
                                 {"cancelled", jsonBool(out.cancelled)}});
  } else {
    std::cout << library::transferCountersLine(out.total, o.replaceDuplicates) << '\n';
  }
  return out.failedFiles == 0 && !out.cancelled && out.files > 0 ? kExitOk : kExitUserError;
}

int runUpdateJob(const MoveJob& job, const GlobalOptions& global) {
  library::UpdateOptions o;
  o.inputSpec = job.circuit;
  o.pn2 = job.pn2;
  o.refdes = job.refdes;
  o.descr = job.descr;
  o.lcn = job.lcn;
  o.quantity = job.qty;
  o.correctionFactor = job.cf;
  o.notes = job.notes;
  o.appParams = job.app;
  o.recursive = job.recursive;
  if (!setFilters(job, o.filters)) return kExitUserError;
  auto lib = openForJob(job.library);
  if (!lib) return kExitBadInput;
  Session& session = global.session();
  library::UpdateOutcome out;
  {
    TerminalUi ui(global.assumeYes, global.quiet, &session.log);
    if (!confirmed(ui, library::updateConfirmation(o, lib->path()))) return kExitUserError;
    session.beginLog("UPDATE");
    out = library::runUpdate(*lib, o, posixFileSystem(), ui);
  }
  session.log.end();
  if (job.json) {
    printJsonResult("update",
                    {{"library", jsonString(mixedToUtf8(job.library))},
                     {"updated", jsonInteger(out.total.updated)},
                     {"notFound", jsonInteger(out.total.notFound)},
                     {"filterOut", jsonInteger(out.total.filterOut)},
                     {"files", jsonInteger(out.files)},
                     {"failedFiles", jsonInteger(out.failedFiles)},
                     {"cancelled", jsonBool(out.cancelled)}},
                    "saved", out.saved);
  } else {
    std::cout << library::updateCountersLine(out.total) << '\n';
  }
  return out.failedFiles == 0 && !out.cancelled && out.files > 0 ? kExitOk : kExitUserError;
}

void addFilterOptions(CLI::App* c, MoveJob& job) {
  c->add_option("--type", job.type, "Only records of this part type");
  c->add_option("--pn", job.pn, "Only records whose part number begins with this text")->transform(storedText());
}

}  // namespace

void addRecallTransferCommands(CLI::App& app, const GlobalOptions& global, int& exitCode) {
  auto recall = std::make_shared<RecallJob>();
  CLI::App* c = app.add_subcommand("recall", "Recall library parts into a circuit or hybrid by part number");
  c->add_option("CIRCUIT", recall->circuit, "The circuit or hybrid file")->required();
  c->add_option("LIB", recall->library, "The library")->required();
  c->add_option("PN", recall->numbers, "Part numbers (or PN2, or cross-reference numbers)")->transform(storedText())->required();
  c->add_option("--refdes", recall->refdes, "Reference designators, one per part number in order")->transform(storedText());
  c->add_option("--xref", recall->xref, "Search this cross-reference file for numbers the library lacks");
  c->add_flag("--decode", recall->decode, "Build resistors, potentiometers and capacitors from military part numbers the library lacks");
  c->add_option("--xref-move", recall->xrefMove,
                "1: cross-reference number to PN, library PN to PN2; 2: cross-reference number to PN2")
      ->check(CLI::Range(0, 2));
  c->add_flag("--json", recall->json, "Write the counts as JSON");
  c->callback([recall, &global, &exitCode] { exitCode = runRecall(*recall, global); });

  auto transfer = std::make_shared<MoveJob>();
  c = app.add_subcommand("transfer", "Copy the part records of circuit files into a library");
  c->add_option("CIRCUIT", transfer->circuit, "Circuit file, or a file pattern such as 'boards/*.CIR'")->required();
  c->add_option("LIB", transfer->library, "The target library")->required();
  c->add_flag("--replace", transfer->replace, "Replace library records of the same part number");
  c->add_flag("--clear-refdes", transfer->clearRefDes, "Clear the reference designators");
  c->add_flag("--clear-lcn", transfer->clearLcn, "Clear the LCNs");
  c->add_flag("--qty-one", transfer->qtyOne, "Set every quantity to 1");
  addFilterOptions(c, *transfer);
  c->add_flag("--json", transfer->json, "Write the counts as JSON");
  c->callback([transfer, &global, &exitCode] { exitCode = runTransferJob(*transfer, global); });

  auto update = std::make_shared<MoveJob>();
  c = app.add_subcommand("update", "Rewrite the part records of circuit files from a library");
  c->add_option("CIRCUIT", update->circuit, "Circuit file, or a file pattern such as 'boards/*.CIR'")->required();
  c->add_option("LIB", update->library, "The source library")->required();
  c->add_flag("--recursive", update->recursive, "Also every sub-circuit and sub-hybrid file below");
  c->add_flag("--pn2", update->pn2, "Take PN2 from the library");
  c->add_flag("--refdes", update->refdes, "Take the reference designator from the library");
  c->add_flag("--descr", update->descr, "Take the description from the library");
  c->add_flag("--lcn", update->lcn, "Take the LCN from the library");
  c->add_flag("--qty", update->qty, "Take the quantity from the library");
  c->add_flag("--cf", update->cf, "Take the correction factor from the library");
  c->add_flag("--notes", update->notes, "Take the notes from the library");
  c->add_flag("--app-params", update->app, "Take the application-specific parameters from the library");
  addFilterOptions(c, *update);
  c->add_flag("--json", update->json, "Write the counts and the files saved as JSON");
  c->callback([update, &global, &exitCode] { exitCode = runUpdateJob(*update, global); });
}

}  // namespace kestrel::cli
