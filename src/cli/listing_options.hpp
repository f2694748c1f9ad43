// The paging options every listing command takes, and whether stdout is a
// terminal (listings print whole into pipes and files).
#pragma once

#include <CLI/CLI.hpp>
#include <unistd.h>

#include "shell/listing_page.hpp"

namespace kestrel::cli {

inline void addListingOptions(CLI::App* command, ListingRequest& request) {
  command->add_option("--page", request.page, "Print only this page, from 1")->check(CLI::PositiveNumber);
  command->add_option("--page-size", request.pageSize, "Lines per page (0: all)")->check(CLI::NonNegativeNumber);
}

inline ListingPage listingPageOf(const ListingRequest& request, std::size_t terminalPageSize = 0) {
  return listingPage(request, ::isatty(STDOUT_FILENO) != 0, terminalPageSize);
}

}  // namespace kestrel::cli
