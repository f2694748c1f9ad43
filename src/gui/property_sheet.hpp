// Property sheets: editing dialogs of pages whose rows are generated from
// the field descriptions a record or header visits (label, editor, unit).
// A field that does not apply to the current choices shows "xxxxxx" and is
// disabled; an entry is checked when the field is left, with the shared
// validation messages; a valid entry is stored at once and every page is
// refilled, so dependent choice lists and enabled fields follow it.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "core/field_spec.hpp"

class QDialogButtonBox;
class QTabWidget;
class QWidget;

namespace kestrel {
class CPart;
class CCircDoc;
class CCircHeader;
class Ui;
}  // namespace kestrel

namespace kestrel::gui {

// Visits the fields of one page on the object being edited.
using PageVisit = std::function<void(FieldVisitor&)>;

class FieldPage;

class PropertySheet final : public QDialog {
 public:
  PropertySheet(const std::string& title, Ui& ui, QWidget* parent = nullptr);
  // Adds a page. `filled`: the page starts from the record's values; a page
  // added unfilled starts empty, and OK is refused until each of its fields
  // that applies has an entry.
  void addPage(const std::string& name, PageVisit visit, bool filled = true);
  int pageCount() const;
  FieldPage& page(int index);
  void showPage(int index);

  // Enters a text into the editor of a field (by keyword, or by label when
  // the field has no keyword) and leaves it, as a user does. False when no
  // such editable field is on any page; the entry may still be refused.
  bool enter(const std::string& field, const std::string& text);
  // What a field shows now ("xxxxxx" when it does not apply); "" if absent.
  std::string shown(const std::string& field) const;

  // OK: checks the page in front, then the pages that still need showing.
  void accept() override;
  // Refills every page from the object (after any stored entry).
  void refreshAll();

 protected:
  // The cursor starts in the first field of the page in front.
  void showEvent(QShowEvent* event) override;

 private:
  Ui& ui_;
  QTabWidget* tabs_;
  QDialogButtonBox* buttons_;
  std::vector<FieldPage*> pages_;
};

// A file-open chooser: the dialog's caption and filter; "" when cancelled.
using OpenFileChooser = std::function<std::string(const std::string& caption, const std::string& filter)>;

// The record's sheet: identity, the class's parameter page, its second
// page when it has one, limits, surface mount (circuits with it on), notes.
// `part` is the copy being edited. With `chooseFile`, the file name of a
// sub-circuit or sub-hybrid record gets a browse button.
void addPartPages(PropertySheet& sheet, CPart& part, const CCircDoc& doc, bool filled,
                  const OpenFileChooser& chooseFile = {});
// The header's sheet ("Circuit Header" / "Hybrid Header" pages).
void addHeaderPages(PropertySheet& sheet, CCircHeader& header, bool hybrid);

}  // namespace kestrel::gui
