// What the project tests share: the example hierarchy copied into a fresh
// folder, small circuits written through the document files, and the
// documents of a folder read back for comparing with a tree.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "core/misc_part.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "models/register_all.hpp"
#include "project/project_file.hpp"
#include "project/project_tree.hpp"
#include "support/faulty_file_system.hpp"
#include "support/recording_ui.hpp"

namespace kestrel::test {

inline std::unique_ptr<CPart> misc(const std::string& pn, double rate = 1.0) {
  auto part = PartRegistry::instance().create(kMiscType, false);
  static_cast<CMisc&>(*part).BASEFR = static_cast<float>(rate);
  part->PN = pn;
  return part;
}

inline std::unique_ptr<CPart> subFile(const std::string& fileName, const std::string& pn = "SUB") {
  const bool hybrid = fileName.size() > 4 && (fileName.ends_with(".hyb") || fileName.ends_with(".HYB"));
  auto part = PartRegistry::instance().create(hybrid ? kSubHybridType : kSubCircuitType, false);
  part->FileName = fileName;
  part->PN = pn;
  return part;
}

class ProjectFixture : public ::testing::Test {
 public:  // the table-driven cases reach in through free functions
  void SetUp() override {
    registerAllParts();
    for (const auto& entry : std::filesystem::directory_iterator(KESTREL_EXAMPLES)) {
      if (!entry.is_regular_file()) continue;  // examples/scripts
      std::filesystem::copy_file(entry.path(), dir.file(entry.path().filename().string()));
    }
    project.setPath(dir.file("unit.prj"));
    project.setTopLevel(dir.file("system.cir"));
  }

  std::unique_ptr<CCircDoc> load(const std::string& name) {
    std::unique_ptr<CCircDoc> doc;
    EXPECT_TRUE(loadDocument(fs, dir.file(name), doc).isOk()) << name;
    return doc;
  }
  void save(CCircDoc& doc, const std::string& name) {
    ASSERT_TRUE(saveDocument(fs, doc, dir.file(name)).isOk()) << name;
  }
  // A circuit (or, by its name, hybrid) holding `parts`.
  template <typename... Parts>
  void write(const std::string& name, Parts... parts) {
    CCircDoc doc(kindForPath(name).value_or(DocKind::Circuit));
    (doc.insertSorted(std::move(parts)), ...);
    save(doc, name);
  }
  Status build() { return buildProjectTree(project, fs, ui, tree); }
  // The index of the first node showing a file name, or tree.size().
  std::size_t find(const std::string& name, std::size_t from = 0) const {
    for (std::size_t i = from; i < tree.size(); ++i) {
      const std::string shown = std::filesystem::path(tree.node(i).file).filename().string();
      if (tree.node(i).isDocument() && upperCased(shown) == upperCased(name)) return i;
    }
    return tree.size();
  }

  TempFolder dir;
  FaultyFileSystem fs;
  RecordingUi ui;
  CProjDoc project;
  ProjectTree tree;
};

inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace kestrel::test
