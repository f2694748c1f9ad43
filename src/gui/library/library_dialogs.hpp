// The small dialogs of the library and cross-reference windows: Add (which
// part type, or the last record added), Find (the library's four modes from
// the top or the current record; "XRef Find" for cross-references) and the
// header and cross-reference sheets' pages. The dialogs keep their choices
// in the profile ("Library Add", "Library Find", "XRef Find").
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

#include "core/field_spec.hpp"
#include "store/library/header_texts.hpp"
#include "store/library/xref.hpp"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace kestrel {
class Settings;
}

namespace kestrel::gui {

// Add: Select Part Type, Select Hybrid Part Type or Keep Last Record, and
// Fill In Default Parameters for Selected Part Type.
class LibraryAddDialog final : public QDialog {
 public:
  enum Mode { kCircuitType = 0, kHybridType = 1, kKeepLast = 2 };
  LibraryAddDialog(const std::vector<std::string>& circuitMenu, const std::vector<std::string>& hybridMenu,
                   Settings& settings, QWidget* parent = nullptr);
  // `menuIndex` is 1-based in the menu of the mode's kind.
  void choose(Mode mode, std::size_t menuIndex, bool defaults);
  void accept() override;

  Mode mode() const { return mode_; }
  std::size_t menuIndex() const { return index_; }
  bool defaults() const { return defaults_; }

 private:
  Settings& settings_;
  QRadioButton* modes_[3];
  QComboBox* circuitTypes_;
  QComboBox* hybridTypes_;
  QCheckBox* defaultsBox_;
  Mode mode_ = kCircuitType;
  std::size_t index_ = 1;
  bool defaults_ = false;
};

struct LibraryFindJob {
  enum Mode { kPartNumber = 0, kPn2 = 1, kPartType = 2, kHybridPartType = 3 };
  Mode mode = kPartNumber;
  bool fromCurrent = false;
  std::string text;
  std::size_t menuIndex = 1;  // Part Type modes: 1-based in the kind's menu
};

// Find: Part Number, PN2, Part Type, Hybrid Part Type; Find From Top or Current.
class LibraryFindDialog final : public QDialog {
 public:
  LibraryFindDialog(const std::vector<std::string>& circuitMenu, const std::vector<std::string>& hybridMenu,
                    Settings& settings, QWidget* parent = nullptr);
  void setJob(const LibraryFindJob& job);
  void accept() override;
  const LibraryFindJob& job() const { return job_; }

 private:
  Settings& settings_;
  QRadioButton* modes_[4];
  QLineEdit* text_;
  QComboBox* circuitTypes_;
  QComboBox* hybridTypes_;
  QRadioButton* fromTop_;
  QRadioButton* fromCurrent_;
  LibraryFindJob job_;
};

struct XRefFindJob {
  bool byLibraryPn = false;
  std::string text;
};

// "XRef Find": Find Mode Cross-Reference PN or Library PN, and a text.
class XRefFindDialog final : public QDialog {
 public:
  XRefFindDialog(Settings& settings, QWidget* parent = nullptr);
  void setJob(const XRefFindJob& job);
  void accept() override;
  const XRefFindJob& job() const { return job_; }

 private:
  Settings& settings_;
  QRadioButton* byXRef_;
  QRadioButton* byLibrary_;
  QLineEdit* text_;
  XRefFindJob job_;
};

// The fields of the cross-reference sheet's page and of the header pages.
void visitXRef(library::CXRef& xref, FieldVisitor& f);
void visitHeaderTexts(library::HeaderTexts& texts, FieldVisitor& f);

}  // namespace kestrel::gui
