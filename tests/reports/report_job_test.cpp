// Report runs over real files: one document or a hierarchy in hierarchy
// order, the refusal of uncalculated documents, and report files that are
// either complete or not there (an earlier file kept when a write fails).
#include <gtest/gtest.h>

#include <ostream>

#include <filesystem>
#include <fstream>

#include "core/calculate_command.hpp"
#include "core/circ_file.hpp"
#include "core/document_sub_files.hpp"
#include "core/sub_parts.hpp"
#include "report_fixtures.hpp"
#include "reports/report_job.hpp"
#include "reports/report_output.hpp"
#include "support/faulty_file_system.hpp"
#include "support/recording_ui.hpp"

namespace kestrel {
namespace {

using test::RecordingUi;
using test::TempFolder;

class ReportRun : public ::testing::Test {
 protected:
  void SetUp() override { registerAllParts(); }

  // A document of fixed-rate parts and sub-file records, saved; calculated
  // flags set by hand (`calculated`) so that cycles can be reported too.
  void write(const std::string& name, std::vector<std::string> children = {}, bool calculated = true,
             DocKind kind = DocKind::Circuit) {
    CCircDoc doc(kind);
    doc.insertSorted(test::miscPart(1.0, "P-" + name, "U1", 1.0, kind == DocKind::Hybrid));
    for (const std::string& child : children) {
      const bool hybrid = child.find(".HYB") != std::string::npos;
      auto sub = PartRegistry::instance().create(hybrid ? kSubHybridType : kSubCircuitType, false);
      sub->FileName = child;
      sub->PN = child;
      doc.insertSorted(std::move(sub));
    }
    if (calculated) doc.header().CalcFlags = HeaderBasicDone;
    ASSERT_TRUE(saveDocument(posixFileSystem(), doc, dir.file(name)).isOk());
    std::filesystem::remove(dir.file(name) + ".BAK");
  }

  ReportJob job(const std::string& name, bool recursive = false, std::string output = {}) {
    ReportJob j;
    j.file = dir.file(name);
    j.recursive = recursive;
    j.kind = 0;
    j.output = output.empty() ? std::string() : dir.file(output);
    j.print.fixedTime = true;
    return j;
  }

  // The documents a text report covers, by their "DOC:" lines.
  static std::vector<std::string> docsOf(const std::string& text) {
    std::vector<std::string> out;
    for (const std::string& line : test::splitLines(text)) {
      if (line.rfind("DOC: ", 0) != 0) continue;
      const std::string path = line.substr(5, line.find("   RECORDS:") - 5);
      out.push_back(path.substr(path.find_last_of('/') + 1));
    }
    return out;
  }

  TempFolder dir;
};

TEST_F(ReportRun, HierarchyIsReportedDepthFirstInRecordOrderEachDocumentOnce) {
  // TOP has A.CIR and B.CIR (records sort by PN); A has C.HYB; B has A.CIR again
  write("TOP.CIR", {"A.CIR", "B.CIR"});
  write("A.CIR", {"C.HYB"});
  write("B.CIR", {"A.CIR"});
  write("C.HYB", {}, true, DocKind::Hybrid);
  RecordingUi ui;
  ReportOutcome out;
  ASSERT_TRUE(runReportJob(job("TOP.CIR", true), posixFileSystem(), ui, out).isOk());
  EXPECT_EQ(out.reports, 4u);
  EXPECT_EQ(docsOf(out.text), (std::vector<std::string>{"TOP.CIR", "A.CIR", "C.HYB", "B.CIR"}));
  ASSERT_TRUE(runReportJob(job("TOP.CIR", false), posixFileSystem(), ui, out).isOk());
  EXPECT_EQ(docsOf(out.text), std::vector<std::string>{"TOP.CIR"});
}

// Refused at the record that closes the cycle, as the calculation refuses it.
TEST_F(ReportRun, CycleOfSubFilesIsRefusedWhereItCloses) {
  write("A.CIR", {"B.CIR"});
  write("B.CIR", {"A.CIR"});
  RecordingUi ui;
  ReportOutcome out;
  const Status s = runReportJob(job("A.CIR", true), posixFileSystem(), ui, out);
  EXPECT_EQ(s.message(), "'" + dir.file("B.CIR") + "': self-reference (rec#1)");
  EXPECT_TRUE(out.badInput);
}

TEST_F(ReportRun, ChildNamedInAnotherCaseIsFound) {
  write("TOP.CIR", {"board.cir"});
  write("BOARD.CIR");
  RecordingUi ui;
  ReportOutcome out;
  ASSERT_TRUE(runReportJob(job("TOP.CIR", true), posixFileSystem(), ui, out).isOk());
  EXPECT_EQ(docsOf(out.text), (std::vector<std::string>{"TOP.CIR", "BOARD.CIR"}));
}

struct RefusalCase {
  const char* name;
  bool topCalculated;
  bool childCalculated;
  bool childExists;
  const char* fileInMessage;
  const char* text;
  bool badInput;
};
void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class ReportRefusal : public ReportRun, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ReportRefusal, NothingIsWrittenAndTheMessageNamesTheFile) {
  const RefusalCase& c = GetParam();
  write("TOP.CIR", {"KID.CIR"}, c.topCalculated);
  if (c.childExists) write("KID.CIR", {}, c.childCalculated);
  const auto before = dir.list();
  RecordingUi ui;
  ReportOutcome out;
  const Status s = runReportJob(job("TOP.CIR", true, "out.pdf"), posixFileSystem(), ui, out);
  ASSERT_FALSE(s.isOk());
  EXPECT_NE(s.message().find(dir.file(c.fileInMessage)), std::string::npos) << s.message();
  EXPECT_NE(s.message().find(c.text), std::string::npos) << s.message();
  EXPECT_EQ(out.badInput, c.badInput);
  EXPECT_EQ(dir.list(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReportRefusal,
    ::testing::Values(RefusalCase{"UncalculatedTop", false, true, true, "TOP.CIR",
                                  "Circuit must be calculated before printing.", false},
                      RefusalCase{"UncalculatedChild", true, false, true, "KID.CIR",
                                  "Circuit must be calculated before printing.", false},
                      RefusalCase{"MissingChild", true, true, false, "KID.CIR", "File does not exist.", true}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

struct FaultCase {
  const char* name;
  long failWriteAfter;
  int failRename;
};
void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class FailedReportFile : public ReportRun, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FailedReportFile, EarlierReportStaysAndNoTemporaryFileIsLeft) {
  write("TOP.CIR");
  std::ofstream(dir.file("out.txt")) << "earlier report";
  test::FaultyFileSystem fs;
  fs.failWriteAfter = GetParam().failWriteAfter;
  fs.failRenameNumber = GetParam().failRename;
  RecordingUi ui;
  ReportOutcome out;
  const Status s = runReportJob(job("TOP.CIR", false, "out.txt"), fs, ui, out);
  ASSERT_FALSE(s.isOk());
  EXPECT_EQ(s.message().rfind("Print To File...ERROR\n", 0), 0u) << s.message();
  EXPECT_NE(s.message().find(dir.file("out.txt")), std::string::npos) << s.message();
  std::ifstream in(dir.file("out.txt"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "earlier report");
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"TOP.CIR", "out.txt"}));
}

INSTANTIATE_TEST_SUITE_P(Faults, FailedReportFile,
                         ::testing::Values(FaultCase{"DiskFullHalfWay", 100, 0},
                                           FaultCase{"RenameFails", -1, 1}),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                           return std::string(info.param.name);
                         });

// The bundled example hierarchy, calculated, then reported as a whole.
TEST_F(ReportRun, BundledExampleHierarchy) {
  for (const char* name : {"system.cir", "controller.cir", "io_board.cir", "power_supply.cir", "rf_module.hyb"}) {
    std::filesystem::copy_file(std::string(KESTREL_EXAMPLES) + "/" + name, dir.file(name));
  }
  std::unique_ptr<CCircDoc> top;
  ASSERT_TRUE(loadDocument(posixFileSystem(), dir.file("system.cir"), top).isOk());
  RecordingUi ui;
  DocumentSubFiles files(posixFileSystem());
  CalcContext context(ui, &files);
  ASSERT_TRUE(runCalculate(*top, context, {false, 8760.0}).ok);
  ASSERT_TRUE(saveDocument(posixFileSystem(), *top, dir.file("system.cir")).isOk());
  ReportJob j = job("system.cir", true, "all.pdf");
  j.kind = 1;
  ReportOutcome out;
  ASSERT_TRUE(runReportJob(j, posixFileSystem(), ui, out).isOk());
  EXPECT_EQ(out.reports, 5u);
  j.output.clear();
  ReportOutcome text;
  ASSERT_TRUE(runReportJob(j, posixFileSystem(), ui, text).isOk());
  EXPECT_EQ(docsOf(text.text).front(), "system.cir");
  EXPECT_EQ(docsOf(text.text).size(), text.pages);  // each page names its document
  const std::string info = test::commandOutput("pdfinfo " + dir.file("all.pdf") + " 2>/dev/null");
  EXPECT_NE(info.find("Pages:           " + std::to_string(out.pages) + "\n"), std::string::npos) << info;
}

}  // namespace
}  // namespace kestrel
