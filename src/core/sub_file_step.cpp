// The step every calculation stage takes for a sub-circuit or sub-hybrid
// record: resolve the child's path, refuse cycles, open or find the child,
// check its kind and that it has records; afterwards save it (when opened
// here) or refresh its views (when it was open already).
#include "core/circ_doc.hpp"
#include "core/document_sub_files.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"

namespace kestrel {
namespace {

const char* subFileKind(const CPart& part) {
  return part.PART_TYPE == kSubCircuitType ? "SubCircuit" : "SubHybrid";
}

void recordError(Ui& ui, const char* text, std::size_t recordNumber) {
  ui.progressLine(5, strprintf("...Error: %s (rec#%d).", text, static_cast<int>(recordNumber)));
}

}  // namespace

CCircDoc::ActiveDocument::ActiveDocument(CalcContext& context, const CCircDoc& doc) : context_(context) {
  context_.active.push(doc.path());
}

CCircDoc::ActiveDocument::~ActiveDocument() { context_.active.pop(); }

SubFileAccess::Opened CCircDoc::openChild(CalcContext& context, const CPart& part,
                                          std::size_t recordNumber, bool keepFiles) const {
  Ui& ui = context.ui;
  const bool subCircuit = part.PART_TYPE == kSubCircuitType;
  const std::string path = subFilePath(path_, part.FileName);
  ui.progressLine(4, strprintf("...opening %s '%s'...", subFileKind(part), path.c_str()));

  // A child that is this document or one of the documents above it closes a
  // cycle: known by the file it is (a link, "..", its name in another case),
  // found as it will be opened.
  std::string error;
  const std::string found = DocumentSubFiles::childFile(path_, part, error);
  const std::string& named = found.empty() ? path : found;
  if (fileIdentity(named) == fileIdentity(path_) || context.active.contains(named)) {
    recordError(ui, "self-reference", recordNumber);
    return {};
  }
  if (context.subFiles == nullptr) {
    recordError(ui, "can not open", recordNumber);
    return {};
  }
  SubFileAccess::Opened child = context.subFiles->open(path, keepFiles, ui);
  if (child.doc == nullptr) {
    recordError(ui, "can not open", recordNumber);
    return {};
  }
  const CCircDoc& doc = *child.doc;
  const bool kindOk = subCircuit ? (doc.kind() == DocKind::Circuit && doc.hybridFlag() == 0)
                                 : (doc.kind() == DocKind::Hybrid && doc.hybridFlag() == 1);
  if (!kindOk || doc.count() == 0) {
    // A child opened here closes with `child`.
    recordError(ui, kindOk ? "zero records" : "unexpected file format", recordNumber);
    return {};
  }
  return child;
}

bool CCircDoc::finishChild(CalcContext& context, SubFileAccess::Opened& child, const CPart& part,
                           std::size_t recordNumber) {
  Ui& ui = context.ui;
  if (!child.wasAlreadyOpen) {
    ui.progressLine(4, strprintf("...saving %s '%s'...", subFileKind(part), child.doc->path().c_str()));
    if (!context.subFiles->save(*child.doc, ui)) {
      recordError(ui, "can not save", recordNumber);
      return false;
    }
  } else {
    ui.progressLine(4, strprintf("...updating %s view...", subFileKind(part)));
    context.subFiles->refreshViews(*child.doc);
  }
  ui.progressLine(4, {});
  return true;
}

}  // namespace kestrel
