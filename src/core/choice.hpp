// Choice fields and the factor tables they index.
//
// A choice field is one byte holding a 1-based index into a fixed list of
// texts; entry 0 of every list is the empty text and is never stored. Choice
// bytes arrive from files, the clipboard, libraries and imports, so every
// lookup goes through the checked accessors here: nothing reads past a list.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kestrel {

class ChoiceList {
 public:
  constexpr ChoiceList() = default;
  // `names[0]` must be the empty text.
  constexpr explicit ChoiceList(std::span<const std::string_view> names) : names_(names) {}

  // Number of real choices (1..count()).
  constexpr std::size_t count() const { return names_.empty() ? 0 : names_.size() - 1; }
  constexpr bool isValid(unsigned choice) const { return choice >= 1 && choice <= count(); }
  // The text of a choice, or "" for an index outside the list.
  constexpr std::string_view text(unsigned choice) const {
    return isValid(choice) ? names_[choice] : std::string_view{};
  }
  // 1-based index of the choice whose text equals `name` ignoring case, or 0.
  unsigned find(std::string_view name) const;
  // `choice` limited to 1..count() (1 for an empty list).
  constexpr std::uint8_t clamp(unsigned choice) const {
    if (choice < 1) return 1;
    if (choice > count()) return static_cast<std::uint8_t>(count() < 1 ? 1 : count());
    return static_cast<std::uint8_t>(choice);
  }
  constexpr std::span<const std::string_view> names() const { return names_; }

 private:
  std::span<const std::string_view> names_;
};

// Entry `index` of a factor table; an index past the end reads the last
// entry and index 0 stays 0 (the table's empty slot), never out of bounds.
template <typename T, std::size_t N>
constexpr const T& tableAt(const std::array<T, N>& table, std::size_t index) {
  static_assert(N > 0);
  return table[index < N ? index : N - 1];
}

// The handbook's fourteen operating environments, stored as 1..14.
inline constexpr std::string_view kEnvironmentNames[] = {
    "",    "GB",  "GF",  "GM",  "NS", "NU", "AIC", "AIF",
    "AUC", "AUF", "ARW", "SF",  "MF", "ML", "CL"};
inline constexpr ChoiceList kEnvironments{kEnvironmentNames};
inline constexpr std::size_t kEnvironmentCount = 14;
// What each code stands for, in the same order. Files, keywords and the
// command line keep the codes; lists a person reads show both.
inline constexpr std::string_view kEnvironmentMeanings[] = {"",
                                                             "Ground, Benign",
                                                             "Ground, Fixed",
                                                             "Ground, Mobile",
                                                             "Naval, Sheltered",
                                                             "Naval, Unsheltered",
                                                             "Airborne, Inhabited, Cargo",
                                                             "Airborne, Inhabited, Fighter",
                                                             "Airborne, Uninhabited, Cargo",
                                                             "Airborne, Uninhabited, Fighter",
                                                             "Airborne, Rotary Winged",
                                                             "Space, Flight",
                                                             "Missile, Flight",
                                                             "Missile, Launch",
                                                             "Cannon, Launch"};
// "GF - Ground, Fixed"; "" for a code outside the list.
std::string environmentTitle(unsigned code);
// The text of a stored choice; an index outside the list reads as the
// nearest choice, the way the models clamp it.
inline std::string storedChoiceText(const ChoiceList& list, unsigned choice) {
  return std::string(list.text(list.clamp(choice)));
}
// A choice as a list shows it to a person: environments with their meaning,
// every other list its plain text.
std::string choiceTitle(const ChoiceList& list, unsigned choice);

// A factor table indexed by environment: entry 0 is 0.0, entries 1..14 as above.
using EnvTable = std::array<double, kEnvironmentCount + 1>;

}  // namespace kestrel
