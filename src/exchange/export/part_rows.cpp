// Part records (of circuits, hybrids and libraries) as table rows: the
// 28-column record layout, or the keyword layout whose columns are the
// keywords the records passing the filters use.
#include "core/part.hpp"
#include "exchange/export/row_source.hpp"

namespace kestrel {
namespace {

class PartRows final : public RowSource {
 public:
  PartRows(std::unique_ptr<RecordSource> parts, RowFilters filters)
      : parts_(std::move(parts)), filters_(std::move(filters)) {}

  long count() override { return parts_->count(); }

  Status shape(bool keywords, WriterOptions& options) override {
    if (!keywords) {
      options.columns = kRecordColumns;
      return Status::ok();
    }
    header_ = parts_->headerCells();
    layout_.use(header_);
    if (Status s = parts_->forEach([&](const CPart& part, const RecordRowContext&) {
          if (passes(part)) layout_.use(partKeywordCells(part));
          return true;
        });
        !s) {
      return s;
    }
    options.columns = layout_.columns();
    options.columnNames = layout_.names();
    return Status::ok();
  }

  Status headerRow(bool keywords, Ui& ui, std::optional<ExportRow>& row) override {
    if (!keywords) row = parts_->headerRow(ui);  // else the header's keywords go on every row
    return Status::ok();
  }

  Status forEachRow(bool keywords, const RowFn& fn) override {
    return parts_->forEach([&](const CPart& part, const RecordRowContext& context) {
      if (!passes(part)) return fn(nullptr);
      if (!keywords) {
        const ExportRow row = recordRow(part, context);
        return fn(&row);
      }
      KeywordCells cells = partKeywordCells(part);
      cells.insert(header_.begin(), header_.end());
      const ExportRow row = layout_.row(cells);
      return fn(&row);
    });
  }

  std::vector<std::string> childFiles() override { return parts_->childFiles(); }
  SourceDamage damage() const override { return parts_->damage(); }

 private:
  bool passes(const CPart& part) const {
    if (filters_.type && part.PART_TYPE != *filters_.type) return false;
    return filters_.pn.empty() || part.PN.rfind(filters_.pn, 0) == 0;
  }

  std::unique_ptr<RecordSource> parts_;
  RowFilters filters_;
  KeywordLayout layout_;
  KeywordCells header_;
};

}  // namespace

std::unique_ptr<RowSource> partRows(std::unique_ptr<RecordSource> parts, const RowFilters& filters) {
  return std::make_unique<PartRows>(std::move(parts), filters);
}

}  // namespace kestrel
