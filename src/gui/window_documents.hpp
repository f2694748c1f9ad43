// The table of open documents the desktop frame hands to batch jobs: the
// circuit and hybrid documents of its windows. A job that changes one of
// them has the window mark it modified and show it again.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/open_documents.hpp"

namespace kestrel::gui {

class CircuitWindow;

class WindowDocuments final : public OpenDocuments {
 public:
  using Windows = std::function<std::vector<CircuitWindow*>()>;
  explicit WindowDocuments(Windows windows) : windows_(std::move(windows)) {}

  CCircDoc* find(const std::string& path) override;
  void changed(CCircDoc& doc) override;

 private:
  Windows windows_;
};

}  // namespace kestrel::gui
