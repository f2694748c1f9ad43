#include "gui/exchange/import_preview.hpp"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/strfmt.hpp"
#include "gui/qt_text.hpp"

namespace kestrel::gui {
namespace {

QTableWidget* table(QWidget* parent, int rows, const QStringList& headers) {
  auto* t = new QTableWidget(rows, static_cast<int>(headers.size()), parent);
  t->setHorizontalHeaderLabels(headers);
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->verticalHeader()->setVisible(false);
  t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);  // list rows, not form rows
  t->horizontalHeader()->setStretchLastSection(true);
  return t;
}

void put(QTableWidget* t, int row, int column, std::string_view text) {
  t->setItem(row, column, new QTableWidgetItem(qmixed(text)));
}

}  // namespace

ImportPreviewDialog::ImportPreviewDialog(const std::string& input, const TablePreview& p, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(tr("Import by Column Headers"));
  auto* layout = new QVBoxLayout(this);
  std::size_t mapped = 0;
  for (const std::string& k : p.keywords) mapped += !k.empty();
  layout->addWidget(new QLabel(qmixed(strprintf("'%s': the first row names the field keyword of each column "
                                               "(%zu of %zu columns imported).",
                                               input.c_str(), mapped, p.columns.size())), this));
  QStringList headers;
  for (const std::string& c : p.columns) headers << qmixed(c);
  // Row 0: the keyword each column maps to; then the first rows of data.
  mapping_ = table(this, static_cast<int>(p.rows.size()) + 1, headers);
  mapping_->setVerticalHeaderLabels({});
  for (std::size_t c = 0; c < p.columns.size(); ++c) {
    const std::string& k = p.keywords[c];
    put(mapping_, 0, static_cast<int>(c), k.empty() ? std::string("(not imported)") : "-> " + k);
    QFont bold = mapping_->font();
    bold.setBold(true);
    mapping_->item(0, static_cast<int>(c))->setFont(bold);
    for (std::size_t r = 0; r < p.rows.size(); ++r) {
      put(mapping_, static_cast<int>(r) + 1, static_cast<int>(c), c < p.rows[r].size() ? p.rows[r][c] : std::string());
    }
  }
  layout->addWidget(mapping_);
  finish(layout);
}

ImportPreviewDialog::ImportPreviewDialog(const BomPlan& plan, QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Bill of Materials Import"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(qmixed(strprintf("'%s': header row %ld, %zu parts rows.", plan.input.c_str(),
                                               plan.headerRow, plan.rows.size())), this));
  mapping_ = table(this, static_cast<int>(plan.columns.size()), {tr("Column"), tr("Holds"), tr("Field keyword")});
  for (std::size_t i = 0; i < plan.columns.size(); ++i) {
    const BomPlanColumn& c = plan.columns[i];
    const int r = static_cast<int>(i);
    put(mapping_, r, 0, c.name);
    put(mapping_, r, 1, bomColumnTitle(c.role));
    put(mapping_, r, 2, c.keywords.empty() ? std::string("(not imported)") : c.keywords);
  }
  layout->addWidget(mapping_);
  rows_ = table(this, static_cast<int>(plan.rows.size()),
                {tr("Row"), tr("Designators"), tr("Qty"), tr("Part class"), tr("Value"), tr("Read as")});
  for (std::size_t i = 0; i < plan.rows.size(); ++i) {
    const BomPlanRow& p = plan.rows[i];
    const int r = static_cast<int>(i);
    put(rows_, r, 0, strprintf("R%ld", p.number));
    put(rows_, r, 1, p.designators);
    put(rows_, r, 2, strprintf("%ld", p.quantity));
    put(rows_, r, 3, p.recalledBy.empty() ? p.typeName : p.typeName + " (library: " + p.recalledBy + ")");
    put(rows_, r, 4, p.value);
    put(rows_, r, 5, p.valueRead);
  }
  layout->addWidget(rows_, 1);
  if (!plan.warnings.empty()) {
    auto* warnings = new QPlainTextEdit(this);
    warnings->setReadOnly(true);
    std::string text;
    for (const std::string& w : plan.warnings) text += "WARNING: " + w + "\n";
    warnings->setPlainText(qmixed(text));
    warnings->setMaximumHeight(warnings->fontMetrics().height() * 5);
    layout->addWidget(warnings);
  }
  finish(layout);
}

void ImportPreviewDialog::finish(QVBoxLayout* layout) {
  for (QTableWidget* t : {mapping_, rows_}) {
    if (t != nullptr) t->resizeColumnsToContents();
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(tr("&Build"));
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  resize(760, 560);
}

}  // namespace kestrel::gui
