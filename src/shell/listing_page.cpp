#include "shell/listing_page.hpp"

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

}  // namespace kestrel
