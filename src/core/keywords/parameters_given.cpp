#include "core/keywords/parameters_given.hpp"

#include <algorithm>

#include "core/field_spec.hpp"
#include "core/part.hpp"

namespace kestrel {
namespace {

class MissingEntries final : public FieldVisitor {
 public:
  MissingEntries(const std::vector<KeywordAssignment>& given, std::vector<std::string>& missing)
      : given_(given), missing_(missing) {}
  void text(const FieldSpec& f, std::string&, bool applies) override { note(f, applies); }
  void number(const FieldSpec& f, float&, bool applies) override { note(f, applies); }
  void choice(const FieldSpec& f, std::uint8_t&, bool applies) override { note(f, applies); }
  void flag(const FieldSpec&, std::uint16_t&, bool) override {}

 private:
  void note(const FieldSpec& f, bool applies) {
    if (!applies || f.keyword.empty()) return;
    const bool given = std::any_of(given_.begin(), given_.end(),
                                   [&](const KeywordAssignment& a) { return a.keyword == f.keyword; });
    const bool listed = std::find(missing_.begin(), missing_.end(), f.keyword) != missing_.end();
    if (!given && !listed) missing_.emplace_back(f.keyword);
  }
  const std::vector<KeywordAssignment>& given_;
  std::vector<std::string>& missing_;
};

}  // namespace

std::vector<std::string> parametersNotGiven(CPart& part, const std::vector<KeywordAssignment>& given) {
  std::vector<std::string> missing;
  MissingEntries visit(given, missing);
  part.paramPage(visit);
  part.tempPage(visit);
  return missing;
}

}  // namespace kestrel
