#include "core/part_archive.hpp"

#include "core/archive.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"

namespace kestrel {
namespace {

constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTagBit = 0x8000;
constexpr std::uint16_t kBigIndexTag = 0x7FFF;
constexpr std::uint32_t kBigClassTagBit = 0x80000000u;
// Longer than any class name; a longer one marks a damaged entry.
constexpr std::uint16_t kMaxClassNameLength = 64;

void writeClassReference(Archive& ar, std::uint32_t index) {
  if (index < kBigIndexTag) {
    std::uint16_t tag = static_cast<std::uint16_t>(kClassTagBit | index);
    ar.io(tag);
    return;
  }
  std::uint16_t escape = kBigIndexTag;
  std::uint32_t tag = kBigClassTagBit | index;
  ar.io(escape);
  ar.io(tag);
}

}  // namespace

void writePartObject(Archive& ar, const CPart& part) {
  const ClassRecord& record = part.classRecord();
  auto& known = ar.classIndexByName();
  const auto it = known.find(record.className);
  if (it == known.end()) {
    std::uint16_t tag = kNewClassTag;
    std::uint16_t schema = record.schema;
    std::uint16_t length = static_cast<std::uint16_t>(record.className.size());
    ar.io(tag);
    ar.io(schema);
    ar.io(length);
    std::string name(record.className);
    for (char& c : name) {
      std::uint8_t byte = static_cast<std::uint8_t>(c);
      ar.io(byte);
    }
    known.emplace(name, ar.nextObjectIndex());
  } else {
    writeClassReference(ar, it->second);
  }
  ar.nextObjectIndex();
  // Serialize is one routine for both directions; storing leaves the record as it is.
  const_cast<CPart&>(part).Serialize(ar);
}

std::unique_ptr<CPart> readPartObject(Archive& ar) {
  std::uint16_t tag = 0;
  ar.io(tag);
  if (!ar.ok()) return nullptr;

  std::string className;
  if (tag == kNewClassTag) {
    std::uint16_t schema = 0;
    std::uint16_t length = 0;
    ar.io(schema);
    ar.io(length);
    if (!ar.ok()) return nullptr;
    if (length == 0 || length > kMaxClassNameLength || length > ar.remaining()) {
      ar.fail("bad class name length " + std::to_string(length));
      return nullptr;
    }
    className.resize(length);
    for (char& c : className) {
      std::uint8_t byte = 0;
      ar.io(byte);
      c = static_cast<char>(byte);
    }
    if (schema != 0) {
      ar.fail("unsupported schema " + std::to_string(schema) + " of class " + className);
      return nullptr;
    }
    ar.classNameByIndex().emplace(ar.nextObjectIndex(), className);
  } else {
    std::uint32_t index = 0;
    if (tag == kBigIndexTag) {
      std::uint32_t big = 0;
      ar.io(big);
      if (!ar.ok()) return nullptr;
      if ((big & kBigClassTagBit) == 0) {
        ar.fail("object back-reference in a record list");
        return nullptr;
      }
      index = big & ~kBigClassTagBit;
    } else if ((tag & kClassTagBit) != 0) {
      index = tag & ~kClassTagBit;
    } else {
      ar.fail(tag == 0 ? "empty object entry" : "object back-reference in a record list");
      return nullptr;
    }
    const auto it = ar.classNameByIndex().find(index);
    if (it == ar.classNameByIndex().end()) {
      ar.fail("bad class tag " + std::to_string(index));
      return nullptr;
    }
    className = it->second;
  }
  ar.nextObjectIndex();

  auto part = PartRegistry::instance().createByClassName(className);
  if (!part) {
    ar.fail("unknown part class '" + className + "'");
    return nullptr;
  }
  part->Serialize(ar);
  if (!ar.ok()) return nullptr;
  part->normalizeChoices();
  return part;
}

}  // namespace kestrel
