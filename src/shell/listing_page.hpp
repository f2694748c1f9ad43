// Which lines of a listing to print. Into a pipe or a file a listing prints
// whole, so a script sees every record; at a terminal it shows its usual
// first page (whole for listings that never paged); --page and --page-size
// ask for one page wherever the output goes.
#pragma once

#include <cstddef>
#include <string>

namespace kestrel {

struct ListingRequest {
  long page = 0;       // 1-based; 0 = not asked
  long pageSize = -1;  // lines; 0 = all; -1 = not asked
};

struct ListingPage {
  std::size_t first = 0;  // 0-based index of the first line shown
  std::size_t count = 0;  // lines shown; 0 = all from `first` on

  bool shows(std::size_t index) const { return index >= first && (count == 0 || index - first < count); }
};

// `terminalPageSize`: the page a terminal shows when nothing is asked (0 = all).
ListingPage listingPage(const ListingRequest& request, bool toTerminal, std::size_t terminalPageSize);

// What a page leaves out, for the user to ask for next: "lines 41-80 of 528;
// --page 3 for the next page, --page-size 0 for all"; empty when the page
// holds every line from the first.
std::string pageNote(const ListingPage& page, std::size_t total);

}  // namespace kestrel
