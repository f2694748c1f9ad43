#include "gui/graph/graph_sheet.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/choice.hpp"
#include "core/ui.hpp"
#include "gui/graph/definition_files.hpp"
#include "gui/qt_text.hpp"

namespace kestrel::gui {
namespace {

// The codes the environment field takes, each with what it stands for.
std::string environmentCodesTip() {
  std::string tip = "Environment codes, separated by blanks or commas:";
  for (unsigned code = 1; code <= kEnvironments.count(); ++code) tip += "\n" + environmentTitle(code);
  return tip;
}

QLineEdit* numberField(const char* name, QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(QString::fromLatin1(name));
  field->setMaxLength(12);
  return field;
}

bool wholeNumber(const QLineEdit& field, long& value) {
  bool ok = false;
  const qlonglong v = field.text().trimmed().toLongLong(&ok);
  if (!ok || v < -2147483647LL || v > 2147483647LL) return false;
  value = static_cast<long>(v);
  return true;
}

}  // namespace

GraphSheet::GraphSheet(GuiContext& context, const graph::GraphDefinition& start, QWidget* parent)
    : QDialog(parent), context_(context), definition_(start) {
  setWindowTitle(tr("Graph"));
  type_ = new QComboBox(this);
  type_->setObjectName("type");
  for (int t = 0; t < graph::kGraphTypeCount; ++t) type_->addItem(qtext(graph::graphTypeName(t)));
  from_ = numberField("from", this);
  to_ = numberField("to", this);
  step_ = numberField("step", this);
  timeUnit_ = new QComboBox(this);
  timeUnit_->setObjectName("timeUnit");
  timeUnit_->addItems({tr("Hours"), tr("Years")});
  environments_ = new QLineEdit(this);
  environments_->setObjectName("environments");
  environments_->setMaxLength(static_cast<int>(graph::kMaxEnvironmentText));
  environments_->setToolTip(qtext(environmentCodesTip()));
  maxItems_ = numberField("maxItems", this);
  hierarchy_ = new QCheckBox(tr("Include the hierarchy below the 'Top-Level Doc'"), this);
  hierarchy_->setObjectName("hierarchy");
  scale_ = new QComboBox(this);
  scale_->setObjectName("scale");
  scale_->addItems({tr("Automatic"), tr("Linear"), tr("Logarithmic")});

  auto* form = new QFormLayout;
  form->addRow(tr("Graph &Type:"), type_);
  form->addRow(tr("&From:"), from_);
  form->addRow(tr("&To:"), to_);
  form->addRow(tr("&Step:"), step_);
  form->addRow(tr("Time &Unit:"), timeUnit_);
  form->addRow(tr("&Environment:"), environments_);
  form->addRow(tr("&Max Items:"), maxItems_);
  form->addRow(QString(), hierarchy_);
  form->addRow(tr("Value Sc&ale:"), scale_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  QPushButton* open = buttons->addButton(tr("&Open..."), QDialogButtonBox::ActionRole);
  QPushButton* save = buttons->addButton(tr("Sa&ve..."), QDialogButtonBox::ActionRole);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
  connect(open, &QPushButton::clicked, this, [this] { openDefinition(); });
  connect(save, &QPushButton::clicked, this, [this] { saveDefinition(); });
  connect(type_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!filling_) chooseType(index);
  });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  showDefinition(start);
}

void GraphSheet::showDefinition(const graph::GraphDefinition& d) {
  filling_ = true;
  const graph::GraphSettings& s = d.settings;
  type_->setCurrentIndex(graph::isValidGraphType(s.type) ? s.type : 0);
  from_->setText(QString::number(s.from));
  to_->setText(QString::number(s.to));
  step_->setText(QString::number(s.step));
  timeUnit_->setCurrentIndex(s.timeUnit == graph::TimeUnit::Years ? 1 : 0);
  environments_->setText(qtext(s.environments));
  maxItems_->setText(QString::number(s.maxItems));
  hierarchy_->setChecked(s.includeHierarchy);
  scale_->setCurrentIndex(static_cast<int>(d.style.scale));
  definition_.style = d.style;
  definition_.settings.mission = s.mission;
  definition_.settings.missionTime = s.missionTime;
  filling_ = false;
  enableFields();
}

void GraphSheet::chooseType(int type) {
  graph::GraphDefinition d;
  if (!readFields(d, false)) d = definition_;
  const graph::GraphSettings start = graph::defaultSettings(type);
  d.settings.type = type;
  d.settings.from = start.from;
  d.settings.to = start.to;
  d.settings.step = start.step;
  d.settings.timeUnit = start.timeUnit;
  if (graph::usesEnvironments(type) && !graph::usesEnvironments(definition_.settings.type)) {
    d.settings.environments = start.environments;
  }
  definition_.settings.type = type;
  showDefinition(d);
}

void GraphSheet::enableFields() {
  // A type outside the list is told through the Ui by the library.
  const int type = type_->currentIndex();
  const std::optional<graph::EnabledFields> on = graph::enabledFields(type, *context_.ui);
  if (!on) return;
  from_->setEnabled(on->range);
  to_->setEnabled(on->range);
  step_->setEnabled(on->range);
  timeUnit_->setEnabled(on->timeUnit);
  environments_->setEnabled(on->environments);
  maxItems_->setEnabled(on->maxItems);
  hierarchy_->setEnabled(on->hierarchy);
}

bool GraphSheet::read(graph::GraphDefinition& d) { return readFields(d, true); }

bool GraphSheet::readFields(graph::GraphDefinition& d, bool tell) {
  d = definition_;
  graph::GraphSettings& s = d.settings;
  s.type = type_->currentIndex();
  for (auto [field, value] : {std::pair{from_, &s.from}, {to_, &s.to}, {step_, &s.step}, {maxItems_, &s.maxItems}}) {
    if (!wholeNumber(*field, *value)) {
      if (!tell) return false;
      context_.ui->message("Please enter a number.");
      field->setFocus();
      field->selectAll();
      return false;
    }
  }
  s.timeUnit = timeUnit_->currentIndex() == 1 ? graph::TimeUnit::Years : graph::TimeUnit::Hours;
  const QByteArray env = environments_->text().toLatin1();
  s.environments.assign(env.constData(), static_cast<std::size_t>(env.size()));
  s.includeHierarchy = hierarchy_->isChecked();
  d.style.scale = static_cast<graph::ValueScale>(scale_->currentIndex());
  return true;
}

void GraphSheet::accept() {
  graph::GraphDefinition d;
  if (!read(d)) return;
  if (Status s = graph::checkSettings(d.settings); !s) {
    context_.ui->message(s.message());
    return;
  }
  definition_ = d;
  QDialog::accept();
}

void GraphSheet::openDefinition() {
  if (std::optional<graph::GraphDefinition> d = openDefinitionFile(context_)) showDefinition(*d);
}

void GraphSheet::saveDefinition() {
  graph::GraphDefinition d;
  if (!read(d)) return;
  if (Status s = graph::checkSettings(d.settings); !s) {
    context_.ui->message(s.message());
    return;
  }
  definition_ = d;
  saveDefinitionFile(context_, d);
}

}  // namespace kestrel::gui
