// The Graph page: the graph type, From/To/Step, the time unit, the
// environment list, Max Items, whether the hierarchy is included, and the
// value scale of the chart; Open and Save of a graph definition file. OK
// runs the library's checks; a failure shows its message and keeps the page
// open. The fields a type does not use are disabled.
#pragma once

#include <QDialog>

#include "graph/graph_definition.hpp"
#include "gui/gui_context.hpp"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kestrel::gui {

class GraphSheet final : public QDialog {
 public:
  GraphSheet(GuiContext& context, const graph::GraphDefinition& start, QWidget* parent = nullptr);

  // Shows a definition's settings in the fields.
  void showDefinition(const graph::GraphDefinition& definition);
  // The type by index 0..14; the range fields take the type's starting values.
  void chooseType(int type);
  // The fields as settings; false (message shown) when a number field does
  // not hold a whole number.
  bool read(graph::GraphDefinition& definition);
  void accept() override;
  // The definition accepted by OK.
  const graph::GraphDefinition& definition() const { return definition_; }

  // Open... and Save... of the page.
  void openDefinition();
  void saveDefinition();

 private:
  void enableFields();
  bool readFields(graph::GraphDefinition& definition, bool tell);

  GuiContext& context_;
  graph::GraphDefinition definition_;
  QComboBox* type_;
  QLineEdit* from_;
  QLineEdit* to_;
  QLineEdit* step_;
  QComboBox* timeUnit_;
  QLineEdit* environments_;
  QLineEdit* maxItems_;
  QCheckBox* hierarchy_;
  QComboBox* scale_;
  bool filling_ = false;
};

}  // namespace kestrel::gui
