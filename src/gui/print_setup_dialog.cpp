#include "gui/print_setup_dialog.hpp"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

#include "core/strfmt.hpp"
#include "gui/qt_text.hpp"
#include "reports/paper_sizes.hpp"
#include "reports/report_profile.hpp"

namespace kestrel::gui {
namespace {

bool sameSize(const Paper& a, const Paper& b) {
  return std::abs(a.widthInches - b.widthInches) < 0.02 && std::abs(a.heightInches - b.heightInches) < 0.02;
}

QString shownName(const Paper& paper) {
  const std::string name = paper.name.size() <= 2 ? upperCased(paper.name) : std::string(paper.name);
  QString shown = qtext(name);
  if (!shown.isEmpty() && shown[0].isLower()) shown[0] = shown[0].toUpper();
  // ISO sheets are known by millimetres, the others by inches.
  if (name.size() == 2 && (name[0] == 'A' || name[0] == 'B')) {
    return QString("%1 (%2 x %3 mm)").arg(shown).arg(std::lround(paper.widthInches * 25.4)).arg(
        std::lround(paper.heightInches * 25.4));
  }
  return QString("%1 (%2 x %3 in)").arg(shown).arg(paper.widthInches, 0, 'g', 4).arg(paper.heightInches, 0, 'g', 4);
}

}  // namespace

PrintSetupDialog::PrintSetupDialog(Settings& settings, QWidget* parent) : QDialog(parent), settings_(settings) {
  setWindowTitle(tr("Print Setup"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  paper_ = new QComboBox(this);
  for (const Paper& paper : namedPapers()) paper_->addItem(shownName(paper), qtext(paperText(paper)));
  // The default printer's own sheets that are not among the named ones.
  for (const QPageSize& size : QPrinterInfo::defaultPrinter().supportedPageSizes()) {
    const QSizeF inches = size.size(QPageSize::Inch);
    const Paper own{"", inches.width(), inches.height()};
    if (!findPaper(paperText(own))) continue;
    bool named = false;
    for (const Paper& paper : namedPapers()) named = named || sameSize(paper, own);
    if (!named) {
      paper_->addItem(QString("%1 (%2 x %3 in)").arg(size.name()).arg(own.widthInches, 0, 'g', 4).arg(
                          own.heightInches, 0, 'g', 4),
                      qtext(paperText(own)));
    }
  }
  portrait_ = new QRadioButton(tr("&Portrait"), this);
  landscape_ = new QRadioButton(tr("&Landscape"), this);
  form->addRow(tr("Paper &Size"), paper_);
  form->addRow(tr("Orientation"), portrait_);
  form->addRow(QString(), landscape_);
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  const ReportSettings saved = loadReportSettings(settings_);
  choose(saved.paper, saved.landscape);
}

void PrintSetupDialog::choose(const std::string& paper, bool landscape) {
  const Paper wanted = findPaper(paper).value_or(kLetterPaper);
  int row = -1;
  for (int i = 0; i < paper_->count() && row < 0; ++i) {
    const std::optional<Paper> item = findPaper(paper_->itemData(i).toString().toStdString());
    if (item && sameSize(*item, wanted)) row = i;
  }
  if (row < 0) {  // a size of a printer that is not the default one now
    paper_->addItem(shownName(wanted), qtext(paperText(wanted)));
    row = paper_->count() - 1;
  }
  paper_->setCurrentIndex(row);
  (landscape ? landscape_ : portrait_)->setChecked(true);
}

void PrintSetupDialog::accept() {
  ReportSettings report = loadReportSettings(settings_);
  report.paper = paper_->currentData().toString().toStdString();
  report.landscape = landscape_->isChecked();
  storeReportSettings(settings_, report);
  QDialog::accept();
}

void applyPrintSetup(QPrinter& printer, const ReportSettings& settings) {
  const Paper paper = findPaper(settings.paper).value_or(kLetterPaper);
  printer.setPageSize(QPageSize(QSizeF(paper.widthInches, paper.heightInches), QPageSize::Inch));
  printer.setPageOrientation(settings.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

}  // namespace kestrel::gui
