#include "exchange/bom/bom_plan.hpp"

#include <cmath>
#include <map>
#include <memory>

#include "core/keywords/unit_value.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "store/library/part_library.hpp"
#include "store/library/recall.hpp"

namespace kestrel {
namespace {

// The header row is looked for among the first rows (titles and dates above it).
constexpr long kHeaderSearchRows = 20;
constexpr std::string_view kMiscClass = "CMisc";

// The field a bill's value goes into, for the classes that have one, and its
// unit in a new record of the class (RESUNIT ohms, CAPUNIT uF).
constexpr struct {
  std::string_view className;
  std::string_view keyword;
  std::string_view unit;
} kValueFields[] = {
    {"CResistor", "RES_RES", "ohms"},
    {"CPotentiometer", "POT_RES", "ohms"},
    {"CCapacitor", "CAP_CAP", "uF"},
    {"CCrystal", "CRYS_FREQ", "MHz"},
};

// Columns added to every row for the run: the part type, the quantity, the
// number a part is recalled by and the notes.
enum AddedColumn : std::size_t { kAddedPartType = 1, kAddedQty, kAddedNumber, kAddedNotes };

std::string cellText(const TableRow& row, std::size_t column) {
  if (column >= row.size()) return {};
  const TableCell& c = row[column];
  // A cell that could not be read counts as empty here.
  return c.kind == TableCell::Kind::Error ? std::string() : std::string(trimmed(c.shownText()));
}

std::string menuNameOf(std::string_view className) {
  const PartType* t = findPartTypeByClass(className);
  return t != nullptr ? std::string(t->menuName) : std::string(className);
}

bool isRegisteredClass(std::string_view className) {
  const PartType* t = findPartTypeByClass(className);
  return t != nullptr && PartRegistry::instance().isRegistered(t->id);
}

class Planner {
 public:
  Planner(BomPlan& plan, library::PartLibrary* lib, Ui& ui) : plan_(plan), lib_(lib), ui_(ui) {}

  // True when `row` names a reference column (it is the header row).
  bool header(const TableRow& row) {
    std::vector<BomPlanColumn> columns;
    bool reference = false;
    for (std::size_t i = 0; i < row.size(); ++i) {
      BomPlanColumn c{cellText(row, i), bomColumnNamed(cellText(row, i)), {}};
      if (c.role != BomColumn::None && column(c.role) != kNone) c.role = BomColumn::None;  // the first one counts
      if (c.role != BomColumn::None) at_[c.role] = i;
      reference |= c.role == BomColumn::Reference;
      columns.push_back(std::move(c));
    }
    if (!reference) {
      at_.clear();
      return false;
    }
    plan_.columns = std::move(columns);
    nameKeywords();
    return true;
  }

  void row(long number, const TableRow& cells) {
    auto warn = [&](const std::string& text) { plan_.warnings.push_back(strprintf("row %ld: ", number) + text); };
    BomPlanRow r;
    r.number = number;
    r.designators = text(cells, BomColumn::Reference);
    if (r.designators.empty()) {
      warn("no reference designator: row skipped");
      return;
    }
    std::string error;
    const std::vector<std::string> names = expandDesignators(r.designators, error);
    if (!error.empty()) warn(error + ": counted as one part");
    r.count = names.empty() ? 1 : names.size();
    const std::string letters = designatorLetters(names.empty() ? r.designators : names.front());
    for (const std::string& n : names) {
      if (designatorLetters(n) != letters) {
        warn(strprintf("'%s' mixes designator letters: the part class of '%s' taken", r.designators.c_str(),
                       letters.c_str()));
        break;
      }
    }
    r.quantity = static_cast<long>(r.count);
    const std::string qty = text(cells, BomColumn::Quantity);
    if (column(BomColumn::Quantity) != kNone) {
      const UnitReading q = readUnitValue(qty, {});
      if ((q.kind == UnitText::Plain || q.kind == UnitText::Converted) && q.value >= 1 && q.value == std::trunc(q.value)) {
        r.quantity = static_cast<long>(q.value);
        if (static_cast<std::size_t>(r.quantity) != r.count) {
          warn(strprintf("quantity %ld differs from the %zu designators of '%s'", r.quantity, r.count,
                         r.designators.c_str()));
        }
      } else {
        warn(strprintf("quantity '%s' can not be read: the %zu designators counted", qty.c_str(), r.count));
      }
    }
    const std::string mpn = text(cells, BomColumn::Mpn), pn = text(cells, BomColumn::PartNumber);
    r.partNumber = mpn.empty() ? pn : mpn;
    recall(r, mpn, pn);
    if (r.recalledBy.empty()) {
      const std::string_view cls = bomClassForLetters(letters);
      if (!cls.empty() && isRegisteredClass(cls)) {
        r.className = cls;
      } else {
        r.className = kMiscClass;
        ++plan_.miscRows;
        warn(strprintf("'%s': no part class for the letters '%s': imported as a miscellaneous part",
                       r.designators.c_str(), letters.c_str()));
      }
    }
    r.typeName = menuNameOf(r.className);
    r.value = text(cells, BomColumn::Value);
    readValue(r, warn);
    notes(r, cells);
    plan_.rows.push_back(std::move(r));
  }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  std::size_t column(BomColumn role) const {
    const auto it = at_.find(role);
    return it == at_.end() ? kNone : it->second;
  }
  std::string text(const TableRow& cells, BomColumn role) const {
    const std::size_t c = column(role);
    return c == kNone ? std::string() : cellText(cells, c);
  }

  void nameKeywords() {
    const bool both = column(BomColumn::Mpn) != kNone && column(BomColumn::PartNumber) != kNone;
    const std::string recall = lib_ != nullptr ? " (library recall)" : "";
    for (BomPlanColumn& c : plan_.columns) {
      switch (c.role) {
        case BomColumn::Reference: c.keywords = "REFDES"; break;
        case BomColumn::Value:
          for (const auto& f : kValueFields) c.keywords += (c.keywords.empty() ? "" : ", ") + std::string(f.keyword);
          c.keywords += " (by class)";
          if (column(BomColumn::Description) == kNone) c.keywords += ", DESCR";
          break;
        case BomColumn::Description: c.keywords = "DESCR"; break;
        case BomColumn::Quantity: c.keywords = "QTY (checked against the designators)"; break;
        case BomColumn::Mpn: c.keywords = "PN" + recall; break;
        case BomColumn::PartNumber: c.keywords = both ? "PN2" : "PN" + recall; break;
        case BomColumn::Manufacturer:
        case BomColumn::Footprint: c.keywords = "NOTES"; break;
        case BomColumn::None: break;
      }
    }
  }

  // A library part found by the MPN, else by the part number.
  void recall(BomPlanRow& r, const std::string& mpn, const std::string& pn) {
    if (lib_ == nullptr) return;
    for (const std::string& number : {mpn, pn}) {
      if (number.empty()) continue;
      std::unique_ptr<CPart> part;
      if (library::recallByNumber(*lib_, number, false, true, ui_, part) == library::Recalled::Found && part) {
        const PartType* t = findPartType(part->PART_TYPE);
        r.recalledBy = number;
        r.partNumber = number;
        r.className = t != nullptr ? std::string(t->className) : part->GetTypeName();
        return;
      }
    }
  }

  template <typename Warn>
  void readValue(BomPlanRow& r, const Warn& warn) const {
    if (r.value.empty()) return;
    for (const auto& f : kValueFields) {
      if (f.className != r.className) continue;
      const UnitReading v = readUnitValue(r.value, f.unit);
      if (v.kind == UnitText::Plain || v.kind == UnitText::Converted) {
        r.valueRead = strprintf("%g %s", v.value, std::string(f.unit).c_str());
      } else if (v.kind == UnitText::NoNumber) {
        r.valueRead = "no number: the class's default kept";
      } else {
        r.valueRead = "can not be read";
        warn(strprintf("value '%s' can not be read in %s: the record will not be built", r.value.c_str(),
                       std::string(f.unit).c_str()));
      }
    }
  }

  void notes(BomPlanRow& r, const TableRow& cells) const {
    const std::string maker = text(cells, BomColumn::Manufacturer), footprint = text(cells, BomColumn::Footprint);
    if (!maker.empty()) r.notes = "Manufacturer: " + maker;
    if (!footprint.empty()) r.notes += (r.notes.empty() ? "" : "; ") + std::string("Footprint: ") + footprint;
  }

  BomPlan& plan_;
  library::PartLibrary* lib_;
  Ui& ui_;
  std::map<BomColumn, std::size_t> at_;
};

}  // namespace

Status planBom(const std::string& input, InputFormat format, const std::string& libraryPath, Ui& ui, BomPlan& plan) {
  plan = BomPlan{};
  plan.input = input;
  plan.format = format;
  std::unique_ptr<library::PartLibrary> lib;
  if (!libraryPath.empty()) {
    library::StoreMessage error;
    lib = library::PartLibrary::open(libraryPath, false, error);
    if (!lib) return error.status("Can not open recall library file: ");
  }
  std::unique_ptr<TableReader> reader;
  ReaderOptions options;
  options.warn = [&plan](std::string_view line) { plan.warnings.emplace_back(line); };
  if (Status s = openTableReader(format, input, options, reader); !s) return s;
  Planner planner(plan, lib.get(), ui);
  TableRow row;
  for (;;) {
    const RowStatus st = reader->next(row);
    if (st == RowStatus::Failed) return Status::error(StatusCode::Corrupt, reader->error()).namingFile(input);
    if (st == RowStatus::End) break;
    const long number = reader->rowNumber();
    if (plan.headerRow != 0) {
      planner.row(number, row);
    } else if (planner.header(row)) {
      plan.headerRow = number;
    } else if (number >= kHeaderSearchRows) {
      break;
    }
  }
  if (plan.headerRow == 0) {
    return Status::error(StatusCode::InvalidArgument,
                         "'" + input + "': no row names a reference designator column (Reference, RefDes, Designator)");
  }
  return Status::ok();
}

std::vector<std::string> bomPlanLines(const BomPlan& plan) {
  std::vector<std::string> lines;
  lines.push_back(strprintf("Bill of materials '%s' (%s), header row %ld, %zu parts rows:", plan.input.c_str(),
                            std::string(kInputFormatNames[static_cast<std::size_t>(plan.format)]).c_str(),
                            plan.headerRow, plan.rows.size()));
  lines.emplace_back("Columns:");
  bool quantity = false;
  for (std::size_t i = 0; i < plan.columns.size(); ++i) {
    const BomPlanColumn& c = plan.columns[i];
    quantity |= c.role == BomColumn::Quantity;
    lines.push_back(strprintf("  %2zu %-20.20s -> %s", i + 1, c.name.c_str(),
                              c.keywords.empty() ? "(not imported)" : c.keywords.c_str()));
  }
  if (!quantity) lines.emplace_back("     (no quantity column)    -> QTY: the designators counted");
  lines.emplace_back("Rows:");
  for (const BomPlanRow& r : plan.rows) {
    std::string line = strprintf("  R%-4ld %-20.20s x%-3ld %-16.16s", r.number, r.designators.c_str(), r.quantity,
                                 r.typeName.c_str());
    if (!r.recalledBy.empty()) line += " recalled by '" + r.recalledBy + "'";
    if (!r.valueRead.empty()) line += " value '" + r.value + "' = " + r.valueRead;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    lines.push_back(line);
  }
  if (!plan.warnings.empty()) {
    lines.push_back(strprintf("Warnings (%zu):", plan.warnings.size()));
    for (const std::string& w : plan.warnings) lines.push_back("  " + w);
  }
  return lines;
}

ImportJob bomImportJob(const BomPlan& plan, const std::string& output, const std::string& libraryPath) {
  ImportJob job;
  CImportDoc& def = job.definition;
  CImportHeader& h = def.header;
  h.description = "Bill of materials";
  h.fileType = static_cast<std::uint8_t>(OutputType::Circuit);
  h.fileMode = static_cast<std::uint8_t>(OutputMode::Build);
  h.recordMode = static_cast<std::uint8_t>(libraryPath.empty() ? RecordMode::BuildFromScratch : RecordMode::LibraryRecall);
  h.inputFormat = static_cast<std::uint8_t>(plan.format);
  h.skipFirst = 1.0f;
  h.skipLast = static_cast<float>(plan.headerRow);
  const std::size_t width = plan.columns.size();
  auto map = [&def](std::string_view keyword, std::size_t column) {
    if (CKwd* k = def.find(keyword)) k->fieldNumber = static_cast<float>(column);
  };
  bool description = false, pn2 = false;
  for (const BomPlanColumn& c : plan.columns) {
    description |= c.role == BomColumn::Description;
    pn2 |= c.role == BomColumn::Mpn;
  }
  for (std::size_t i = 0; i < width; ++i) {
    switch (plan.columns[i].role) {
      case BomColumn::Reference: map("REFDES", i + 1); break;
      case BomColumn::Description: map("DESCR", i + 1); break;
      case BomColumn::Value:
        for (const auto& f : kValueFields) map(f.keyword, i + 1);
        if (!description) map("DESCR", i + 1);
        break;
      case BomColumn::PartNumber:
        if (pn2) map("PN2", i + 1);
        break;
      default: break;
    }
  }
  map("PART_TYPE", width + kAddedPartType);
  map("QTY", width + kAddedQty);
  map("PN", width + kAddedNumber);
  map("NOTES", width + kAddedNotes);
  job.definitionPath = "(bill of materials)";
  job.inputs = {plan.input};
  job.outputPath = output;
  job.libraryPath = libraryPath;
  auto rows = std::make_shared<std::map<long, BomPlanRow>>();
  for (const BomPlanRow& r : plan.rows) rows->emplace(r.number, r);
  job.shapeRow = [rows, width](long number, TableRow& row) {
    const auto it = rows->find(number);
    if (it == rows->end()) return false;  // no designator
    const BomPlanRow& r = it->second;
    row.resize(width);
    row.push_back(TableCell::ofText(r.className));
    row.push_back(TableCell::ofNumber(static_cast<double>(r.quantity)));
    row.push_back(TableCell::ofText(r.partNumber));
    row.push_back(TableCell::ofText(r.notes));
    return true;
  };
  return job;
}

std::vector<std::string> bomSummary(const BomPlan& plan, const ImportOutcome& outcome) {
  std::vector<std::string> lines;
  for (const FileOutcome& f : outcome.files) {
    lines.push_back(strprintf("'%s' -> '%s': %s, %zu parts rows, %ld records built, %ld failed", f.input.c_str(),
                              f.output.c_str(), f.ok ? "done" : "NOT DONE", plan.rows.size(), f.counters.built,
                              f.counters.failed));
  }
  if (plan.miscRows > 0) {
    lines.push_back(strprintf("%ld rows became miscellaneous parts:", plan.miscRows));
    for (const BomPlanRow& r : plan.rows) {
      if (r.className == kMiscClass && r.recalledBy.empty()) {
        lines.push_back(strprintf("  row %ld: '%s'", r.number, r.designators.c_str()));
      }
    }
  }
  if (!plan.warnings.empty()) lines.push_back(strprintf("%zu warnings (listed above and in the log)", plan.warnings.size()));
  return lines;
}

}  // namespace kestrel
