#include "core/keywords/input_record.hpp"

#include <cmath>
#include <utility>

namespace kestrel {

const InputField* InputRecord::field(int number) const {
  if (number < 1 || number > kMaxInputFields) return nullptr;
  return &fields[static_cast<std::size_t>(number - 1)];
}

InputField* InputRecord::field(int number) {
  if (number < 1 || number > kMaxInputFields) return nullptr;
  return &fields[static_cast<std::size_t>(number - 1)];
}

void InputRecord::setText(int number, std::string text) {
  InputField* f = field(number);
  if (f == nullptr) return;
  if (text.size() > kMaxInputText) text.resize(kMaxInputText);
  f->kind = InputKind::Text;
  f->state = text.empty() ? InputState::Empty : InputState::Valid;
  f->value = 0.0;
  f->text = std::move(text);
}

void InputRecord::setNumber(int number, double value) {
  InputField* f = field(number);
  if (f == nullptr) return;
  f->kind = InputKind::Number;
  // A cell holding an infinity or NaN is no usable number.
  f->state = std::isfinite(value) ? InputState::Valid : InputState::Error;
  f->value = value;
  f->text.clear();
}

}  // namespace kestrel
