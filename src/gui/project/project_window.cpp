#include "gui/project/project_window.hpp"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <filesystem>

#include "core/keywords/keyword_assignments.hpp"
#include "core/path_names.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "gui/circuit_window.hpp"
#include "gui/command_buttons.hpp"
#include "gui/dialog_ui.hpp"
#include "gui/dialogs.hpp"
#include "gui/item_activation.hpp"
#include "gui/part_detail_window.hpp"
#include "gui/project/project_dialogs.hpp"
#include "gui/project/project_tree_model.hpp"
#include "gui/qt_text.hpp"
#include "gui/save_as.hpp"
#include "gui/watched_run.hpp"
#include "project/node_lines.hpp"
#include "project/project_print.hpp"
#include "project/top_level.hpp"
#include "project/tree_edits.hpp"
#include "reports/report_output.hpp"

namespace kestrel::gui {
namespace {

bool isChildReference(const CProjPart& node) { return node.isDocument() && node.level > 0 && node.record; }

}  // namespace

ProjectWindow::ProjectWindow(std::unique_ptr<CProjDoc> project, GuiContext& context, OpenCircuit openCircuit,
                             TopLevelCommands commands, QWidget* parent)
    : QWidget(parent),
      project_(std::move(project)),
      context_(context),
      openCircuit_(std::move(openCircuit)),
      commands_(std::move(commands)) {
  saveGuard_.remember(context_.fs, project_->path());
  auto* layout = new QVBoxLayout(this);
  heading_ = new QLabel(this);
  heading_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(heading_);

  auto* buttons = new QHBoxLayout;
  const auto button = [this, buttons](const char* text, const char* tip, auto command) {
    addCommandButton(this, buttons, tr(text), tr(tip), command);
  };
  button("&Add...", "Add a SubCircuit or SubHybrid reference to the selected circuit", [this] { addChild(); });
  button("&Delete", "Delete the selected child reference from its parent circuit", [this] { deleteChild(); });
  button("&Move...", "Move the selected child reference to another parent circuit", [this] { moveChild(); });
  button("&Open", "Open the selected node's document", [this] { openNode(); });
  button("&Edit...", "Edit the selected record, or the selected document's header", [this] { editNode(); });
  button("De&tail", "Show the selected record's or document's lines in the Part Detail window",
         [this] { showDetail(); });
  button("&Header...", "Choose the top-level circuit", [this] { chooseHeader(); });
  button("&Refresh", "Build the project tree again from the files", [this] { refresh(); });
  button("&Calculate...", "Calculate the top-level circuit and its hierarchy", [this] { calculate(); });
  button("&What-If?...", "Change environment, temperature, quality or stress over the top-level hierarchy",
         [this] { whatIf(); });
  button("&Graph...", "Graph the top-level circuit", [this] { graph(); });
  button("&Print...", "Print the report of every checked document to one file", [this] { printProject(); });
  buttons->addStretch();
  layout->addLayout(buttons);

  model_ = new ProjectTreeModel(tree_, ui(), this);
  view_ = new QTreeView(this);
  view_->setModel(model_);
  view_->setHeaderHidden(true);
  view_->setUniformRowHeights(false);  // a document shows four to six lines, a record two
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setIndentation(24);
  view_->setAlternatingRowColors(true);
  view_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  onRowActivated(view_, [this] { openNode(); });
  connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex&, const QModelIndex&) { context_.stateChanged(); });
  connect(model_, &QAbstractItemModel::dataChanged, this,
          [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
            if (roles.contains(Qt::CheckStateRole)) showChecked();
          });
  layout->addWidget(view_, 1);
  // Keys go to the tree when the window comes to the front, and when it first shows.
  setFocusProxy(view_);
  view_->setFocus();

  status_ = new QLabel(this);
  status_->setWordWrap(true);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(status_);
  updateTitle();
}

ProjectWindow::~ProjectWindow() = default;

std::string ProjectWindow::statusLine() const { return status_->text().toStdString(); }

void ProjectWindow::setStatus(const std::string& text) {
  status_->setText(qmixed(text));
  if (context_.statusText) context_.statusText(text.substr(0, text.find('\n')));
}

void ProjectWindow::showChecked() { setStatus(tree_.checkedStatus()); }

void ProjectWindow::updateTitle() {
  setWindowTitle(qmixed(upperCased(fileNameOf(project_->path())) + (modified_ ? " *" : "")));
  heading_->setText(qmixed("Project: " + project_->path() + "\nTop-Level Circuit: " +
                          (project_->topLevel().empty() ? std::string("(none)") : project_->topLevel())));
}

void ProjectWindow::report(const Status& status, bool alreadyShown) {
  if (!alreadyShown) ui().message(status.message());
  setStatus(status.message());
}

std::optional<std::size_t> ProjectWindow::selection() const { return model_->nodeOf(view_->currentIndex()); }

void ProjectWindow::select(std::size_t node) {
  const QModelIndex index = model_->indexOf(node);
  if (!index.isValid()) return;
  view_->setCurrentIndex(index);
  view_->scrollTo(index);
}

bool ProjectWindow::refresh() {
  // The selection is kept by what it shows, not by its number.
  std::string keepFile;
  std::size_t keepRecord = 0;
  bool keepDocument = false;
  if (const auto sel = selection()) {
    keepFile = upperCased(tree_.node(*sel).file);
    keepRecord = tree_.node(*sel).recordNumber;
    keepDocument = tree_.node(*sel).isDocument();
  }
  WatchedUi watched(ui());
  ProjectTree built;
  ProgressScope progress(ui(), "Project Tree");
  const Status s = buildProjectTree(*project_, *context_.fs, watched, built, *context_.openDocuments);
  progress.end(s.isOk());
  updateTitle();  // the top-level reference may have been moved into the project's folder
  if (!s) {
    report(s, watched.shown());
    return false;
  }
  tree_ = std::move(built);
  model_->reload();
  view_->expandAll();
  std::optional<std::size_t> again;
  for (std::size_t i = 0; i < tree_.size() && !keepFile.empty(); ++i) {
    const CProjPart& n = tree_.node(i);
    if (upperCased(n.file) == keepFile && n.recordNumber == keepRecord && n.isDocument() == keepDocument) {
      again = i;
      break;
    }
  }
  if (again || !tree_.empty()) select(again ? *again : 0);
  showChecked();
  context_.stateChanged();
  return true;
}

void ProjectWindow::addChild() {
  const auto sel = selection();
  WatchedUi watched(ui());
  if (!sel || tree_.node(*sel).kind != ProjNodeKind::Circuit || !tree_.node(*sel).isOpenable()) {
    watched.message("ADD: project part selection is not CIRCUIT.");
    return;
  }
  const CProjPart& parent = tree_.node(*sel);
  ProjectAddDialog dialog(upperCased(fileNameOf(parent.file)), *context_.settings, ui(), this);
  if (context_.runDialog(dialog) != QDialog::Accepted) return;

  // The new record reads its fields as `kestrel project add` gives them.
  std::vector<KeywordAssignment> values;
  if (Status s = parseAssignments(dialog.assignments(), values); !s) {
    report(s, false);
    return;
  }
  const bool hybrid = dialog.mode() == ChildMode::SubHybrid;
  std::unique_ptr<CPart> record = PartRegistry::instance().create(hybrid ? kSubHybridType : kSubCircuitType, false);
  if (!record) {
    watched.message("ADD: can not create part object.");
    return;
  }
  AssignmentResult assigned;
  const Status fields = assignPartFields(*record, values, false, 25.0f, assigned);
  for (const std::string& line : assigned.log) ui().log(line);
  if (!fields) {
    report(fields, false);
    return;
  }
  const EditResult result =
      kestrel::addChild(tree_, *sel, dialog.mode(), dialog.file(), std::move(record), *context_.fs, watched,
                        *context_.openDocuments);
  context_.saveSettings();
  if (!result.status) {
    report(result.status, watched.shown());
    return;
  }
  if (result.changed) refresh();
}

void ProjectWindow::deleteChild() {
  WatchedUi watched(ui());
  const auto sel = selection();
  const EditResult result = removeChild(tree_, sel ? *sel : tree_.size(), *context_.fs, watched, *context_.openDocuments);
  if (!result.status) {
    report(result.status, watched.shown());
    return;
  }
  if (result.changed) refresh();
}

void ProjectWindow::moveChild() {
  WatchedUi watched(ui());
  const auto sel = selection();
  const std::size_t child = sel ? *sel : tree_.size();
  std::vector<MoveTargetDialog::Target> targets;
  std::optional<std::size_t> presentParent;
  if (child < tree_.size() && isChildReference(tree_.node(child))) {
    const CProjPart& node = tree_.node(child);
    // The child and the documents below it can not take it.
    std::size_t subtreeEnd = child + 1;
    while (subtreeEnd < tree_.size() && tree_.node(subtreeEnd).level > node.level) ++subtreeEnd;
    for (std::size_t i = 0; i < tree_.size(); ++i) {
      const CProjPart& n = tree_.node(i);
      if (i >= child && i < subtreeEnd) continue;
      if (n.kind != ProjNodeKind::Circuit || !n.isOpenable()) continue;
      if (upperCased(n.file) == upperCased(node.parentFile)) {
        if (!presentParent) presentParent = i;
        continue;
      }
      targets.push_back({i, indentPrefix(n.level) + nodeLabel(n)});
    }
  }
  std::size_t target = child;  // lets the library refuse a selection that is not a child reference
  if (!targets.empty()) {
    MoveTargetDialog dialog(nodeLabel(tree_.node(child)), targets, this);
    if (context_.runDialog(dialog) != QDialog::Accepted) return;
    target = dialog.chosen();
  } else if (presentParent) {
    target = *presentParent;
  }
  const EditResult result = kestrel::moveChild(tree_, child, target, *context_.fs, watched, *context_.openDocuments);
  if (!result.status) report(result.status, watched.shown());
  if (result.changed) refresh();
}

CircuitWindow* ProjectWindow::openNode() {
  const auto sel = selection();
  if (!sel) {
    ui().message("OPEN: no project part selection.");
    return nullptr;
  }
  const CProjPart& node = tree_.node(*sel);
  // A record opens the document it belongs to.
  const auto doc = node.isDocument() ? sel : tree_.parentOf(*sel);
  if (!doc || !tree_.node(*doc).isOpenable()) {
    ui().message("'" + node.file + "':\nOPEN: not a valid project part selection.");
    return nullptr;
  }
  const std::size_t recordNumber = node.recordNumber;
  const bool isRecord = !node.isDocument();
  const CProjPart& document = tree_.node(*doc);
  CircuitWindow* window = openCircuit_ ? openCircuit_(document.file) : nullptr;
  if (window != nullptr && isRecord && recordNumber > 0) window->select(recordNumber - 1);
  if (window != nullptr && document.level > 0 && !document.parentFile.empty() && document.recordNumber > 0) {
    window->setParentDocument(document.parentFile, document.recordNumber - 1);
  }
  return window;
}

void ProjectWindow::showDetail() {
  const auto sel = selection();
  if (!sel) {
    ui().message("DETAIL: no part selection.");
    return;
  }
  PartDetailWindow::showFor(this, nodeDetailText(tree_.node(*sel)));
}

void ProjectWindow::editNode() {
  const auto sel = selection();
  if (!sel || !(tree_.node(*sel).isOpenable() || !tree_.node(*sel).isDocument())) {
    ui().message("EDIT: not a valid project part selection.");
    return;
  }
  const bool isRecord = !tree_.node(*sel).isDocument();
  CircuitWindow* window = openNode();
  if (window == nullptr) return;
  if (isRecord) {
    window->editSelected();
  } else {
    window->editHeader();
  }
  // The change lives in the circuit window until it is saved there.
  setStatus(std::string(kRefreshHint));
}

void ProjectWindow::chooseHeader() {
  const std::string path =
      context_.chooseFile ? context_.chooseFile(false, "Choose Top-Level Circuit File", "Circuit Files (*.cir)") : "";
  if (path.empty()) return;
  WatchedUi watched(ui());
  const std::string before = project_->topLevel();
  if (Status s = chooseTopLevel(*project_, path, *context_.fs, watched); !s) {
    report(s, watched.shown());
    return;
  }
  if (project_->topLevel() != before) modified_ = true;
  updateTitle();
  refresh();
}

CircuitWindow* ProjectWindow::openTopLevel(const char* command) {
  CircuitWindow* window = nullptr;
  if (!tree_.empty() && tree_.node(0).isOpenable() && openCircuit_) window = openCircuit_(tree_.node(0).file);
  if (window == nullptr) {
    ui().message(strprintf("%s can not open top-level Circuit.", command));
    return nullptr;
  }
  if (window->document().count() == 0) {
    ui().message(strprintf("%s zero records in top-level Circuit.", command));
    return nullptr;
  }
  return window;
}

bool ProjectWindow::calculate() {
  CircuitWindow* window = openTopLevel("CALCULATE:");
  // The child files are saved by the calculation; the tree reads the
  // top-level circuit's results from its file.
  if (window == nullptr || !window->calculate() || !window->save()) return false;
  return refresh();
}

bool ProjectWindow::whatIf() {
  CircuitWindow* window = openTopLevel("WHAT-IF?:");
  // The run saves every file it changes; the tree is read again from them.
  if (window == nullptr || !commands_.whatIf || !commands_.whatIf(*window)) return false;
  return refresh();
}

bool ProjectWindow::graph() {
  CircuitWindow* window = openTopLevel("GRAPH:");
  return window != nullptr && commands_.graph && commands_.graph(*window);
}

bool ProjectWindow::printProject() {
  const std::string path =
      context_.chooseFile
          ? context_.chooseFile(true, "Print Project",
                                "Adobe PDF Files (*.pdf);;Rich Text RTF Files (*.rtf);;ASCII Text Files (*.txt)")
          : "";
  if (path.empty()) return false;
  ProjectPrintJob job;
  job.settings = loadReportSettings(*context_.settings);
  job.output = path;
  ProjectPrintOutcome outcome;
  WatchedUi watched(ui());
  Status s = Status::ok();
  {
    ProgressScope progress(ui(), "Print Project");
    s = kestrel::printProject(tree_, job, *context_.fs, watched, outcome);
    progress.end(s.isOk());
  }
  if (!s) {
    report(s, watched.shown());
    return false;
  }
  if (!outcome.confirmed) return false;
  setStatus(strprintf("Project Print: %u file(s), %u page(s) to '%s'.", static_cast<unsigned>(outcome.files.size()),
                      static_cast<unsigned>(outcome.pages), path.c_str()));
  return true;
}

bool ProjectWindow::save() {
  if (project_->path().empty()) return saveAs();
  DocumentLock lock;
  if (!saveGuard_.mayWrite(*context_.fs, ui(), project_->path(), lock)) return false;
  if (Status s = saveProject(*context_.fs, *project_, project_->path()); !s) {
    report(s, false);
    return false;
  }
  saveGuard_.remember(context_.fs, project_->path());
  modified_ = false;
  updateTitle();
  return true;
}

bool ProjectWindow::saveAs() {
  return saveAsAsking(context_, "Save Project As", std::string(kProjectFilter), ".prj", [this](const std::string& path) {
    if (Status s = saveProject(*context_.fs, *project_, path); !s) {
      report(s, false);
      return false;
    }
    saveGuard_.remember(context_.fs, path);
    modified_ = false;
    updateTitle();
    return true;
  });
}

bool ProjectWindow::mayClose() {
  if (!modified_) return true;
  return mayCloseAsking(context_, upperCased(fileNameOf(project_->path())), [this] { return save(); },
                        [this] { modified_ = false; });
}

void ProjectWindow::closeEvent(QCloseEvent* event) {
  event->setAccepted(mayClose());
}

}  // namespace kestrel::gui
