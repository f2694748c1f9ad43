// Two processes on one library at once: one transfers circuit parts into it
// (replacing duplicates), the other transfers its own and recalls parts
// while the first writes. Nothing may be lost or stored twice, every refusal
// must be the store's lock message, and the file must check clean.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "library_fixture.hpp"
#include "store/library/library_merge.hpp"
#include "store/library/recall.hpp"
#include "store/library/transfer.hpp"
#include "support/recording_ui.hpp"

namespace kestrel::library::test {
namespace {

constexpr int kOwnParts = 120;
constexpr int kSharedParts = 20;

void makeCircuit(const std::string& path, const std::string& prefix) {
  CCircDoc doc;
  for (int i = 0; i < kOwnParts; ++i) doc.insertSorted(samplePart(401 + i % 3, false, prefix + std::to_string(i)));
  for (int i = 0; i < kSharedParts; ++i) doc.insertSorted(samplePart(401, false, "S" + std::to_string(i)));
  ASSERT_TRUE(saveDocument(posixFileSystem(), doc, path).isOk());
}

// Exit code of a child: 0 when every record went in or was refused only
// because the other process held it.
int transferChild(const std::string& lib, const std::string& circuit, int passes) {
  StoreMessage error;
  auto l = PartLibrary::open(lib, true, error);
  if (!l) return 10;
  l->store().SetDurable(false);  // the locks are the same; only the flushes go
  int retries = 0;
  for (int pass = 0; pass < passes; ++pass) {
    kestrel::test::RecordingUi ui;
    TransferOptions o;
    o.inputSpec = circuit;
    o.replaceDuplicates = true;
    const TransferOutcome out = runTransfer(*l, o, posixFileSystem(), ui);
    for (const auto& line : ui.logLines) {
      if (line.find("...Error") != std::string::npos || line.find("...can not") != std::string::npos) {
        if (line.find("Error: can not transfer record (dup replace)") == std::string::npos &&
            line.find("record is locked by another process") == std::string::npos) {
          return 11;
        }
      }
    }
    if (out.failedFiles > 0 && ++retries < 50) --pass;  // ended at a locked record: the pass runs again
  }
  return 0;
}

int recallChild(const std::string& lib, const std::string& circuit, const std::string& prefix) {
  if (int rc = transferChild(lib, circuit, 1); rc != 0) return rc;
  kestrel::test::RecordingUi ui;
  for (int round = 0; round < 5; ++round) {
    std::vector<RecallRequest> requests;
    for (int i = 0; i < kOwnParts; i += 7) requests.push_back({prefix + std::to_string(i), ""});
    for (int i = 0; i < kSharedParts; ++i) requests.push_back({"S" + std::to_string(i), ""});
    CCircDoc doc;
    RecallCounters c;
    if (!recallIntoDocument(doc, {lib, false, "", 0}, requests, ui, c).isOk()) return 20;
    if (c.recalled != static_cast<long>(requests.size())) return 21;
  }
  return 0;
}

TEST(SharedLibrary, TwoProcessesTransferAndRecallAtOnceLoseAndDuplicateNothing) {
  ScratchDir dir;
  const std::string lib = dir.file("shared.lib");
  { ASSERT_TRUE(newLibrary(dir, "shared.lib")); }
  makeCircuit(dir.file("a.cir"), "A");
  makeCircuit(dir.file("b.cir"), "B");
  const pid_t writer = fork();
  if (writer == 0) _exit(transferChild(lib, dir.file("a.cir"), 3));
  const pid_t reader = fork();
  if (reader == 0) _exit(recallChild(lib, dir.file("b.cir"), "B"));
  int status = 0;
  ASSERT_EQ(waitpid(writer, &status, 0), writer);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer " << status;
  ASSERT_EQ(waitpid(reader, &status, 0), reader);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "reader " << status;

  StoreMessage error;
  auto l = PartLibrary::open(lib, false, error);
  ASSERT_TRUE(l) << error.text();
  EXPECT_EQ(l->count(), 2 * kOwnParts + kSharedParts);
  std::set<std::string> listed;
  LibEntry e;
  for (Outcome o = l->first(e); o == Outcome::Ok;) {
    EXPECT_TRUE(listed.insert(e.pn).second) << e.pn << " listed twice";
    LibEntry n;
    o = l->next(e, n);
    e = std::move(n);
  }
  EXPECT_EQ(listed.size(), static_cast<std::size_t>(2 * kOwnParts + kSharedParts));
  for (int i = 0; i < kOwnParts; ++i) {
    EXPECT_TRUE(listed.count("A" + std::to_string(i)) && listed.count("B" + std::to_string(i))) << i;
  }
  l.reset();
  LibraryCheckReport report;
  ASSERT_TRUE(checkLibrary(lib, report));
  EXPECT_EQ(report.faults, std::vector<std::string>{});
}

}  // namespace
}  // namespace kestrel::library::test
