// The review before an import that needs no definition file: the input's
// first rows under their column names with the field keyword each column maps
// to (import by column headers), or a bill of materials' plan (column to
// keyword, row to part class and value read, and its warnings). OK builds.
#pragma once

#include <QDialog>

#include "exchange/bom/bom_plan.hpp"
#include "exchange/table_preview.hpp"

class QTableWidget;
class QVBoxLayout;

namespace kestrel::gui {

class ImportPreviewDialog final : public QDialog {
 public:
  ImportPreviewDialog(const std::string& input, const TablePreview& preview, QWidget* parent = nullptr);
  ImportPreviewDialog(const BomPlan& plan, QWidget* parent = nullptr);

  // The tables shown: the mapping (first) and, for a bill of materials, its rows.
  QTableWidget* mapping() const { return mapping_; }
  QTableWidget* rows() const { return rows_; }

 private:
  void finish(QVBoxLayout* layout);
  QTableWidget* mapping_ = nullptr;
  QTableWidget* rows_ = nullptr;
};

}  // namespace kestrel::gui
