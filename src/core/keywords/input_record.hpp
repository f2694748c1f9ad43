// One decoded input record of an import: up to 256 fields, numbered 1..256.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrel {

inline constexpr int kMaxInputFields = 256;
// Texts up to the longest text field of a record (NOTES, 512 characters).
inline constexpr std::size_t kMaxInputText = 512;

enum class InputKind : std::uint8_t { Text = 1, Number = 2 };
enum class InputState : std::uint8_t { Empty = 1, Valid = 2, Error = 3 };

struct InputField {
  InputKind kind = InputKind::Text;
  InputState state = InputState::Empty;
  double value = 0.0;
  std::string text;  // at most kMaxInputText characters
};

struct InputRecord {
  long number = 0;  // input record number (R in log lines)
  std::array<InputField, kMaxInputFields> fields{};

  // Field by its 1-based number; null outside 1..256.
  const InputField* field(int number) const;
  InputField* field(int number);
  // Convenience setters used by the readers of input files and by tests.
  void setText(int number, std::string text);
  void setNumber(int number, double value);
};

}  // namespace kestrel
