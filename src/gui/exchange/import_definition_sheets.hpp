// The dialogs of the import definition window: the header, one keyword's
// mapping, and Find ("Import Find").
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "exchange/import_definition.hpp"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QSpinBox;

namespace kestrel::gui {

class DefinitionHeaderSheet final : public QDialog {
 public:
  explicit DefinitionHeaderSheet(const CImportHeader& header, QWidget* parent = nullptr);
  void setHeader(const CImportHeader& header);
  // The header with the fields of the sheet (valid after accept()).
  const CImportHeader& header() const { return header_; }
  void accept() override;

 private:
  CImportHeader header_;
  QComboBox* type_;
  QComboBox* mode_;
  QComboBox* recordMode_;
  QComboBox* format_;
  QSpinBox* skipFirst_;
  QSpinBox* skipLast_;
  QSpinBox* headerRecord_;
  QLineEdit* description_;
  QLineEdit* translate_;
  QLineEdit* table_;
  QComboBox* separator_;
};

class DefinitionKeywordSheet final : public QDialog {
 public:
  // `columns`: the input file's column names (its first row), shown beside
  // the field numbers when an input file is known.
  explicit DefinitionKeywordSheet(const CKwd& keyword, const std::vector<std::string>& columns = {},
                                  QWidget* parent = nullptr);
  // Field 0 unmaps the keyword; a subfield start of 0 reads the whole field.
  void setMapping(float field, float subStart, float subLength, std::uint8_t option);
  const CKwd& keyword() const { return keyword_; }
  void accept() override;

 private:
  CKwd keyword_;
  QSpinBox* field_;
  QComboBox* column_ = nullptr;
  QCheckBox* subfield_;
  QSpinBox* subStart_;
  QSpinBox* subLength_;
  QComboBox* option_;
};

// Text (at most 25 characters) looked for in the keyword names, from the
// top or from the keyword after the selection.
class DefinitionFindSheet final : public QDialog {
 public:
  DefinitionFindSheet(const std::string& text, bool fromCurrent, QWidget* parent = nullptr);
  void setSearch(const std::string& text, bool fromCurrent);
  const std::string& text() const { return text_; }
  bool fromCurrent() const { return fromCurrent_; }
  void accept() override;

 private:
  QLineEdit* edit_;
  QComboBox* from_;
  std::string text_;
  bool fromCurrent_ = false;
};

}  // namespace kestrel::gui
