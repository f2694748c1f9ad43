// kestrel project new / show / add / remove / move / print: project files
// and the project tree over a circuit hierarchy. Nodes are named by the
// number `show` prints in front of them, or by a document's file name.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iostream>

#include "cli/commands.hpp"
#include "cli/exit_codes.hpp"
#include "cli/listing_options.hpp"
#include "cli/terminal_ui.hpp"
#include "core/doc_file.hpp"
#include "core/document_json.hpp"
#include "core/keywords/keyword_assignments.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/windows1252.hpp"
#include "project/node_lines.hpp"
#include "project/project_file.hpp"
#include "project/project_json.hpp"
#include "project/project_print.hpp"
#include "project/project_tree.hpp"
#include "project/top_level.hpp"
#include "project/tree_edits.hpp"
#include "reports/report_kinds.hpp"
#include "reports/report_output.hpp"

namespace kestrel::cli {
namespace {

struct ProjectJob {
  std::string project;
  std::string top;
  bool force = false;
  bool documentsOnly = false;
  bool json = false;
  ListingRequest listing;
  std::string node;
  std::string target;
  std::string child;
  std::string mode;  // "circuit" or "hybrid"; by the child's extension when left out
  std::vector<std::string> values;
  std::vector<std::string> skip;
  std::string output;
  std::string kind = "short";
  std::string sort = "PartType/PN/RefDes";
  std::string paper = "letter";
  bool landscape = false;
  std::string date;
};

// The terminal, less its message boxes: every message the project commands
// show is also in the status they return, which is printed once.
class ProjectUi final : public ForwardingUi {
 public:
  using ForwardingUi::ForwardingUi;
  void message(std::string_view) override {}
};

void printError(const Status& status) {
  std::string text = status.message();
  for (char& c : text) c = c == '\n' ? ' ' : c;
  std::cerr << "kestrel: " << text << '\n';
}

bool openAndBuild(const ProjectJob& job, Ui& ui, CProjDoc& project, ProjectTree& tree, int& exitCode) {
  if (Status s = openProject(posixFileSystem(), job.project, project); !s) {
    printError(s);
    exitCode = kExitBadInput;
    return false;
  }
  if (Status s = buildProjectTree(project, posixFileSystem(), ui, tree); !s) {
    printError(s);
    exitCode = kExitBadInput;
    return false;
  }
  return true;
}

// A node by its number, or the one document node that shows the file name
// (case ignored; nodes of cycles and missing files only when nothing else matches).
bool findNode(const ProjectTree& tree, const std::string& name, std::size_t& index) {
  if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos) {
    index = std::stoul(name.substr(0, 9));
    if (index < tree.size()) return true;
    std::cerr << "kestrel: no node " << name << " (the tree has " << tree.size() << " nodes)\n";
    return false;
  }
  const std::string wanted = upperCased(std::filesystem::path(name).filename().string());
  std::vector<std::size_t> present, other;
  for (std::size_t i = 0; i < tree.size(); ++i) {
    if (!tree.node(i).isDocument() || nodeLabel(tree.node(i)) != wanted) continue;
    (tree.node(i).isOpenable() ? present : other).push_back(i);
  }
  const std::vector<std::size_t>& matches = present.empty() ? other : present;
  if (matches.size() == 1) {
    index = matches.front();
    return true;
  }
  if (matches.empty()) {
    std::cerr << "kestrel: no document '" << name << "' in the project tree\n";
  } else {
    std::cerr << "kestrel: '" << name << "' is shown at " << matches.size()
              << " places of the tree; give the node number (kestrel project show)\n";
  }
  return false;
}

int finishEdit(const EditResult& result) {
  if (!result.status) {
    printError(result.status);
    return kExitUserError;
  }
  return result.changed ? kExitOk : kExitUserError;
}

int runNew(const ProjectJob& job, const GlobalOptions& global) {
  if (std::filesystem::exists(job.project) && !job.force) {
    std::cerr << "kestrel: '" << job.project << "': the file exists already (use --force to replace it; it is kept as .BAK)\n";
    return kExitUserError;
  }
  TerminalUi terminal(global.assumeYes, global.quiet);
  ProjectUi ui(terminal);
  CProjDoc project;
  project.setPath(absolutePath(job.project));
  if (Status s = checkExtension(job.project, kProjectExtension); !s) {
    printError(s);
    return kExitUserError;
  }
  if (Status s = chooseTopLevel(project, job.top, posixFileSystem(), ui); !s) {
    printError(s);
    return kExitUserError;
  }
  if (Status s = saveProject(posixFileSystem(), project, job.project); !s) {
    printError(s);
    return kExitUserError;
  }
  return kExitOk;
}

int runShow(const ProjectJob& job, const GlobalOptions& global) {
  int exitCode = kExitOk;
  CProjDoc project;
  ProjectTree tree;
  {
    TerminalUi terminal(global.assumeYes, global.quiet);
    ProjectUi ui(terminal);
    if (!openAndBuild(job, ui, project, tree, exitCode)) return exitCode;
  }
  const ListingPage shown = listingPageOf(job.listing);
  if (job.json) {
    JsonWriter json(std::cout);
    json.beginCommandDocument("project show");
    json.key("project");
    json.string(mixedToUtf8(job.project));
    json.key("topLevel");
    json.string(mixedToUtf8(project.topLevel()));
    json.key("nodes");
    json.beginArray();
    for (std::size_t i = 0, shownIndex = 0; i < tree.size(); ++i) {
      if (job.documentsOnly && !tree.node(i).isDocument()) continue;
      if (shown.shows(shownIndex++)) writeProjectNodeJson(json, tree, i);
    }
    json.endArray();
    json.key("printChecked");
    json.integer(static_cast<long long>(tree.checkedCount()));
    json.endObject();
    json.finish();
    return kExitOk;
  }
  std::cout << "Project '" << job.project << "': top-level circuit '" << project.topLevel() << "'\n";
  for (std::size_t i = 0, shownIndex = 0; i < tree.size(); ++i) {
    const CProjPart& node = tree.node(i);
    if (job.documentsOnly && !node.isDocument()) continue;
    if (!shown.shows(shownIndex++)) continue;
    const std::vector<std::string> lines = nodeLines(node);
    for (std::size_t l = 0; l < lines.size(); ++l) {
      const std::string number = l == 0 ? strprintf("%4u", static_cast<unsigned>(i)) : std::string(4, ' ');
      // Padding at the end of the fixed columns means nothing on a terminal.
      const std::string& line = lines[l];
      std::cout << number << "  " << line.substr(0, line.find_last_not_of(' ') + 1) << '\n';
    }
  }
  std::cout << tree.checkedStatus() << '\n';
  return kExitOk;
}

int runAdd(const ProjectJob& job, const GlobalOptions& global) {
  std::vector<KeywordAssignment> values;
  if (Status s = parseAssignments(job.values, values); !s) {
    printError(s);
    return kExitUserError;
  }
  const bool hybrid = job.mode.empty() ? hasExtension(job.child, ".HYB") : job.mode == "hybrid";
  auto record = PartRegistry::instance().create(hybrid ? kSubHybridType : kSubCircuitType, false);
  if (!record) {
    std::cerr << "kestrel: ADD: can not create part object.\n";
    return kExitUserError;
  }
  AssignmentResult assigned;
  const Status fields = assignPartFields(*record, values, false, 25.0f, assigned);
  for (const std::string& line : assigned.log) std::cerr << line << '\n';
  for (const std::string& keyword : assigned.unused) {
    std::cerr << "kestrel: warning: " << keyword << " is not a field here and was ignored\n";
  }
  if (!fields) {
    printError(fields);
    return kExitUserError;
  }

  int exitCode = kExitOk;
  TerminalUi terminal(global.assumeYes, global.quiet);
  ProjectUi ui(terminal);
  CProjDoc project;
  ProjectTree tree;
  if (!openAndBuild(job, ui, project, tree, exitCode)) return exitCode;
  std::size_t parent = 0;
  if (!findNode(tree, job.node, parent)) return kExitUserError;
  const EditResult result = addChild(tree, parent, hybrid ? ChildMode::SubHybrid : ChildMode::SubCircuit, job.child,
                                     std::move(record), posixFileSystem(), ui);
  if (result.changed) {
    Settings& settings = global.session().settings;
    settings.setWhole("Project Add", "Mode", hybrid ? 1 : 0);
    settings.setText("Project Add", "File", std::filesystem::path(job.child).filename().string());
  }
  return finishEdit(result);
}

int runRemove(const ProjectJob& job, const GlobalOptions& global) {
  int exitCode = kExitOk;
  TerminalUi terminal(global.assumeYes, global.quiet);
  ProjectUi ui(terminal);
  CProjDoc project;
  ProjectTree tree;
  if (!openAndBuild(job, ui, project, tree, exitCode)) return exitCode;
  std::size_t node = 0;
  if (!findNode(tree, job.node, node)) return kExitUserError;
  return finishEdit(removeChild(tree, node, posixFileSystem(), ui));
}

int runMove(const ProjectJob& job, const GlobalOptions& global) {
  int exitCode = kExitOk;
  TerminalUi terminal(global.assumeYes, global.quiet);
  ProjectUi ui(terminal);
  CProjDoc project;
  ProjectTree tree;
  if (!openAndBuild(job, ui, project, tree, exitCode)) return exitCode;
  std::size_t node = 0, target = 0;
  if (!findNode(tree, job.node, node) || !findNode(tree, job.target, target)) return kExitUserError;
  return finishEdit(moveChild(tree, node, target, posixFileSystem(), ui));
}

// "YYYY-MM-DD HH:MM" into a time; false when it is not one.
bool parseStampTime(const std::string& text, std::tm& time) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d%c", &year, &month, &day, &hour, &minute, &tail) != 5 || month < 1 ||
      month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 || minute > 59) {
    return false;
  }
  time = std::tm{};
  time.tm_year = year - 1900;
  time.tm_mon = month - 1;
  time.tm_mday = day;
  time.tm_hour = hour;
  time.tm_min = minute;
  return true;
}

int runPrint(const ProjectJob& job, const GlobalOptions& global) {
  ProjectPrintJob print;
  print.settings.format = findReportKind(job.kind);
  const auto key = parseSortKey(job.sort);
  if (print.settings.format < 0 || !key || !findPaper(job.paper)) {
    std::cerr << "kestrel: no report kind '" << job.kind << "', sort key '" << job.sort << "' or paper '" << job.paper
              << "'\n";
    return kExitUserError;
  }
  if (!job.date.empty() && !parseStampTime(job.date, print.print.time)) {
    std::cerr << "kestrel: the date is not YYYY-MM-DD HH:MM: '" << job.date << "'\n";
    return kExitUserError;
  }
  print.print.fixedTime = !job.date.empty();
  print.settings.sortBy = *key;
  print.settings.paper = job.paper;
  print.settings.landscape = job.landscape;
  print.output = job.output;
  print.print.askFirst = false;  // printing changes nothing: never ask

  int exitCode = kExitOk;
  ProjectPrintOutcome outcome;
  {
    TerminalUi terminal(global.assumeYes, global.quiet);
    ProjectUi ui(terminal);
    CProjDoc project;
    ProjectTree tree;
    if (!openAndBuild(job, ui, project, tree, exitCode)) return exitCode;
    for (const std::string& name : job.skip) {
      std::size_t node = 0;
      if (!findNode(tree, name, node)) return kExitUserError;
      if (!tree.node(node).isOpenable()) {
        std::cerr << "kestrel: TOGGLE: not a valid selection. (node " << node << ")\n";
        return kExitUserError;
      }
      tree.setCheck(node, false);
    }
    if (Status s = printProject(tree, print, posixFileSystem(), ui, outcome); !s) {
      printError(s);
      return kExitUserError;
    }
    if (!outcome.confirmed) return kExitUserError;
  }
  if (job.output.empty()) {
    std::cout << outcome.text << std::flush;
  } else if (!global.quiet) {
    std::cerr << "kestrel: '" << job.output << "': " << outcome.files.size()
              << (outcome.files.size() == 1 ? " report, " : " reports, ") << outcome.pages
              << (outcome.pages == 1 ? " page\n" : " pages\n");
  }
  return kExitOk;
}

}  // namespace

void addProjectCommand(CLI::App& app, const GlobalOptions& global, int& exitCode) {
  auto job = std::make_shared<ProjectJob>();
  CLI::App* project = app.add_subcommand("project", "Project files and the project tree over a circuit hierarchy");
  project->require_subcommand(1);
  const auto withProject = [&](CLI::App* sub) {
    sub->add_option("project", job->project, "The project file (.prj)")->required();
  };

  CLI::App* create = project->add_subcommand("new", "Create a project over a top-level circuit");
  withProject(create);
  create->add_option("top", job->top, "The top-level circuit (.cir; created empty when missing)")->required();
  create->add_flag("--force", job->force, "Replace an existing project file (the old one is kept as .BAK)");
  create->callback([job, &global, &exitCode] { exitCode = runNew(*job, global); });

  CLI::App* show = project->add_subcommand("show", "Draw the project tree with the totals of every document");
  withProject(show);
  show->add_flag("--documents", job->documentsOnly, "Only the document nodes, not their part records");
  show->add_flag("--json", job->json, "Write the tree as JSON");
  addListingOptions(show, job->listing);
  show->callback([job, &global, &exitCode] { exitCode = runShow(*job, global); });

  CLI::App* add = project->add_subcommand("add", "Add a sub-circuit or sub-hybrid reference to a circuit node");
  withProject(add);
  add->add_option("parent", job->node, "The circuit node: its number (see show) or file name")->required();
  add->add_option("child", job->child, "The child file (.cir or .hyb; created empty when missing)")->required();
  add->add_option("values", job->values, "Fields of the new record as KEYWORD=VALUE (PN, REFDES, QTY, ...)");
  add->add_option("--mode", job->mode, "circuit or hybrid (default: by the child's extension)")
      ->check(CLI::IsMember({"circuit", "hybrid"}));
  add->callback([job, &global, &exitCode] { exitCode = runAdd(*job, global); });

  CLI::App* remove = project->add_subcommand("remove", "Remove a child reference from its parent circuit");
  withProject(remove);
  remove->add_option("node", job->node, "The child node: its number or file name")->required();
  remove->callback([job, &global, &exitCode] { exitCode = runRemove(*job, global); });

  CLI::App* move = project->add_subcommand("move", "Move a child reference to another circuit node");
  withProject(move);
  move->add_option("node", job->node, "The child node: its number or file name")->required();
  move->add_option("parent", job->target, "The new parent circuit node")->required();
  move->callback([job, &global, &exitCode] { exitCode = runMove(*job, global); });

  CLI::App* print = project->add_subcommand("print", "Print the report of every document of the project");
  withProject(print);
  print->add_option("-o,--output", job->output, "Output file (.pdf, .rtf or .txt); text on stdout when left out");
  std::string kinds;
  for (std::string_view name : reportKindNames()) kinds += (kinds.empty() ? "" : "|") + std::string(name);
  print->add_option("-k,--kind", job->kind, "Report kind: " + kinds)->capture_default_str();
  print->add_option("-s,--sort", job->sort, "Sort key (see kestrel report --help)")->capture_default_str();
  print->add_option("--paper", job->paper, "Paper: " + std::string(kPaperChoices))->capture_default_str();
  print->add_flag("--landscape", job->landscape, "Print across the long side of the paper");
  print->add_option("--skip", job->skip, "Nodes whose document is left out (number or file name)");
  print->add_option("--date", job->date, "Date and time of the page stamp, YYYY-MM-DD HH:MM (default: now)");
  print->callback([job, &global, &exitCode] { exitCode = runPrint(*job, global); });
}

}  // namespace kestrel::cli
