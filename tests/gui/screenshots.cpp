// Takes the screenshots of the desktop windows (run under xvfb-run): the
// frame with two documents, one of them sorted by TFR, a part's property
// sheet, the Part Detail window, the Convert Type dialog, a new library with
// "parts.lib" (beside the first circuit) merged into it, a bill of materials'
// review, an import by column headers' preview, Print Setup, the print
// preview and, given a project file, the project tree window and a board opened from it.
// Usage: gui_screenshots OUTDIR CIRCUIT CIRCUIT [PROJECT]
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrintPreviewDialog>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "core/calculate_command.hpp"
#include "core/registry.hpp"
#include "exchange/auto_definition.hpp"
#include "exchange/bom/bom_plan.hpp"
#include "exchange/export/export_run.hpp"
#include "exchange/table_preview.hpp"
#include "gui/circuit_window.hpp"
#include "gui/convert_dialog.hpp"
#include "gui/exchange/import_preview.hpp"
#include "gui/library/library_window.hpp"
#include "gui/main_window.hpp"
#include "gui/part_detail_window.hpp"
#include "gui/print_setup_dialog.hpp"
#include "gui/project/project_window.hpp"
#include "gui/property_sheet.hpp"
#include "models/register_all.hpp"
#include "store/library/part_library.hpp"

using namespace kestrel;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 4) return 2;
  registerAllParts();
  const QString out = QString::fromLocal8Bit(argv[1]);
  std::vector<std::string> warnings;
  Settings settings = Settings::load(posixFileSystem(), out.toStdString() + "/217F2.INI", warnings);
  gui::MainWindow frame(settings, posixFileSystem());
  frame.resize(1200, 760);
  frame.show();
  if (!frame.openFile(argv[2]) || !frame.openFile(argv[3])) return 1;
  frame.context().runDialog = [](QDialog& d) { return d.exec(); };
  gui::CircuitWindow* second = frame.activeCircuit();
  second->select(2);
  SilentUi quiet;
  frame.context().ui = &quiet;
  second->runCalculation(CalculateJob{});
  QApplication::processEvents();
  for (auto* w : frame.circuits()) w->parentWidget()->resize(760, 420);
  frame.circuits().front()->parentWidget()->move(0, 0);
  frame.circuits().back()->parentWidget()->move(380, 230);
  QApplication::processEvents();
  frame.grab().save(out + "/frame_two_documents.png");

  // The calculated document, largest contributors first, after an edit.
  second->sortBy(gui::RecordListModel::Tfr, Qt::DescendingOrder);
  second->parentWidget()->showMaximized();
  QApplication::processEvents();
  frame.grab().save(out + "/circuit_sorted.png");
  second->document().header().CalcFlags = 0;  // as an edit leaves it
  second->documentChanged();
  QApplication::processEvents();
  frame.grab().save(out + "/circuit_not_current.png");
  second->parentWidget()->showNormal();

  // The property sheet of the selected part, on its parameter page.
  auto copy = second->document().record(2).clone();
  gui::PropertySheet sheet(copy->GetTypeName(), quiet, &frame);
  gui::addPartPages(sheet, *copy, second->document(), true);
  sheet.showPage(1);
  sheet.show();
  QApplication::processEvents();
  sheet.grab().save(out + "/property_sheet.png");
  sheet.hide();

  // Detail of the selected part, and the Convert Type dialog for it.
  second->showDetail();
  QApplication::processEvents();
  if (auto* detail = gui::PartDetailWindow::of(second)) {
    detail->grab().save(out + "/part_detail.png");
    detail->close();
  }
  std::vector<std::string> menu;
  if (PartRegistry::instance().buildMenu(false, menu).isOk()) {
    gui::ConvertTypeDialog convert(copy->GetTypeName(), menu, false, settings, &frame);
    convert.show();
    QApplication::processEvents();
    convert.grab().save(out + "/convert_type.png");
  }

  // A library made in OUTDIR, with the example library merged into it.
  const std::string merged = out.toStdString() + "/merged.lib";
  std::filesystem::remove(merged);
  library::StoreMessage error;
  auto created = library::PartLibrary::create(merged, error);
  if (created && created->close() && frame.openFile(merged)) {
    const auto parts = std::filesystem::path(argv[2]).parent_path() / "parts.lib";
    frame.context().chooseFile = [&parts](bool, const std::string&, const std::string&) { return parts.string(); };
    dynamic_cast<gui::LibraryWindow&>(*frame.mdiArea()->currentSubWindow()->widget()).merge();
    QApplication::processEvents();
    frame.grab().save(out + "/library_merged.png");
  }

  // The project tree, maximised in the frame.
  if (argc > 4) {
    if (!frame.openFile(argv[4])) return 1;
    if (QMdiSubWindow* sub = frame.mdiArea()->activeSubWindow()) sub->showMaximized();
    QApplication::processEvents();
    frame.grab().save(out + "/project_tree.png");
    auto* tree = dynamic_cast<gui::ProjectWindow*>(frame.mdiArea()->activeSubWindow()->widget());
    for (std::size_t i = 1; tree != nullptr && i < tree->tree().size(); ++i) {
      if (tree->tree().node(i).isOpenable()) {
        tree->select(i);
        if (gui::CircuitWindow* board = tree->openNode()) {
          board->parentWidget()->showMaximized();
          QApplication::processEvents();
          frame.grab().save(out + "/board_from_project.png");
        }
        break;
      }
    }
  }

  // The review of a bill of materials, before anything is built.
  const std::string bom = out.toStdString() + "/bom.csv";
  std::ofstream(bom) << "Reference,Value,Footprint,Qty,Description,Manufacturer,MPN\n"
                        "\"R1,R2,R3\",10K,0603,3,Thick film,Yageo,RC0603-10K\nR4-R6,4k7,0603,2,Thick film,Yageo,RC0603-4K7\n"
                        "C1,100nF,0603,1,Ceramic,Murata,GRM188\nU1,LM358,SOIC-8,1,Op amp,TI,LM358DR\nTP1,,Pad,1,Test point,,\n";
  BomPlan plan;
  if (planBom(bom, InputFormat::CSV, {}, quiet, plan)) {
    gui::ImportPreviewDialog review(plan, &frame);
    review.show();
    QApplication::processEvents();
    review.grab().save(out + "/bom_review.png");
    review.hide();
  }

  // The preview of an import by column headers: the first circuit in the keyword layout.
  ExportJob keywords;
  keywords.inputs = {argv[2]};
  keywords.output = out.toStdString() + "/keywords.csv";
  keywords.layout = ExportLayout::Keywords;
  CImportDoc byHeaders;
  std::vector<std::string> ignored;
  TablePreview preview;
  if (runExport(keywords, posixFileSystem(), quiet).ok() &&
      autoDefinition(keywords.output, InputFormat::CSV, OutputType::Circuit, byHeaders, ignored) &&
      previewTable(keywords.output, InputFormat::CSV, byHeaders, 8, preview)) {
    gui::ImportPreviewDialog dialog(keywords.output, preview, &frame);
    dialog.show();
    QApplication::processEvents();
    dialog.grab().save(out + "/import_preview.png");
    dialog.hide();
  }

  // Print Setup turned to A4 landscape, which the preview then shows.
  gui::PrintSetupDialog setup(settings, &frame);
  setup.choose("a4", true);
  setup.show();
  QApplication::processEvents();
  setup.grab().save(out + "/print_setup.png");
  setup.accept();

  // The print preview: grabbed once it has laid out its pages.
  QTimer::singleShot(1500, [&out] {
    if (QWidget* preview = QApplication::activeModalWidget()) {
      preview->grab().save(out + "/print_preview.png");
      preview->close();
    }
  });
  second->printPreview();
  return 0;
}
