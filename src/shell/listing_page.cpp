#include "shell/listing_page.hpp"

#include <algorithm>

namespace kestrel {

ListingPage listingPage(const ListingRequest& request, bool toTerminal, std::size_t terminalPageSize) {
  const bool asked = request.page > 0 || request.pageSize >= 0;
  if (!asked) return {0, toTerminal ? terminalPageSize : 0};
  // A page number alone keeps the terminal's page length (or 40 lines when
  // that listing never paged).
  const std::size_t size = request.pageSize >= 0 ? static_cast<std::size_t>(request.pageSize)
                                                 : (terminalPageSize != 0 ? terminalPageSize : 40);
  const std::size_t page = request.page > 0 ? static_cast<std::size_t>(request.page) : 1;
  if (size == 0) return {0, 0};
  return {(page - 1) * size, size};
}

std::string pageNote(const ListingPage& page, std::size_t total) {
  if (page.count == 0 || (page.first == 0 && page.count >= total)) return {};
  if (page.first >= total) return "no lines on this page: " + std::to_string(total) + " in all";
  const std::size_t last = std::min(total, page.first + page.count);
  std::string note = "lines " + std::to_string(page.first + 1) + "-" + std::to_string(last) + " of " +
                     std::to_string(total);
  if (last < total) note += "; --page " + std::to_string(page.first / page.count + 2) + " for the next page";
  return note + ", --page-size 0 for all";
}

}  // namespace kestrel
