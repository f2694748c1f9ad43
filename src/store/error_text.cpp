// The message table of the record store's status codes.

#include <cstdio>

#include "store/status_codes.hpp"

namespace kestrel::store {
namespace {

struct CodeText {
  int code;
  const char* text;
};

constexpr CodeText kTexts[] = {
    {-301, "invalid key type in cikeycmp"},
    {-214, "tree: key sequence error"},
    {-213, "tree: corrupted header"},
    {-212, "tree: free chain node error"},
    {-211, "tree: node read error"},
    {-210, "tree: node scanning error"},
    {-209, "tree: read down error"},
    {-208, "tree: index node pointer error"},
    {-207, "tree: key length error"},
    {-206, "tree: node reverse pointer error"},
    {-205, "tree: node forward pointer error"},
    {-204, "tree: same node pointers"},
    {-203, "tree: node entry count error"},
    {-202, "tree: node free space error"},
    {-201, "tree: root error"},
    {-200, "tree: header read error"},
    {-115, "transaction log entry error"},
    {-114, "no active transaction"},
    {-113, "transaction empty: space allocated for process"},
    {-112, "transaction interrupted: needs rollback"},
    {-111, "transaction processing already in use"},
    {-110, "write queue error"},
    {-109, "too many users logged on"},
    {-108, "share byte reset error"},
    {-107, "record is unlocked: should be locked"},
    {-106, "record is unlocked"},
    {-105, "record is locked by self"},
    {-104, "record is locked by another process"},
    {-103, "open share mode error"},
    {-102, "file is locked"},
    {-101, "file is not locked"},
    {-44, "invalid DOS version"},
    {-43, "invalid node#"},
    {-42, "processing interrupt"},
    {-41, "security level error"},
    {-40, "write op interrupted: file corrupted"},
    {-39, "expansion failed"},
    {-38, "compression failed"},
    {-37, "segment list error"},
    {-36, "index entries already exist"},
    {-35, "index type error"},
    {-34, "memory allocation error"},
    {-33, "write to read-only file error"},
    {-32, "word order mode parameter error"},
    {-31, "corrupted file header"},
    {-30, "corrupted index node"},
    {-29, "file already exists"},
    {-28, "buffer overflow error"},
    {-27, "datalist index# error"},
    {-26, "datalist string length error"},
    {-25, "datalist field length error"},
    {-24, "datalist dup flag error"},
    {-23, "datalist key type error"},
    {-22, "datalist field type error"},
    {-21, "data record checksum error"},
    {-20, "datalist checksum error"},
    {-19, "delete data record error"},
    {-18, "data record error"},
    {-17, "update index delete error"},
    {-16, "no current rec#"},
    {-15, "data read error"},
    {-14, "datalist error"},
    {-13, "ccheck data integrity error"},
    {-12, "incomplete data record"},
    {-11, "new file create error"},
    {-10, "old file open error"},
    {-9, "disk read error"},
    {-8, "disk is full"},
    {-7, "disk seek error"},
    {-6, "disk write error"},
    {-5, "bad index file header rec"},
    {-4, "disk error"},
    {-3, "psp structure error"},
    {-2, "parameter error"},
    {-1, "fail"},
};

}  // namespace

std::string StoreErrorText(int code) {
  for (const CodeText& t : kTexts) {
    if (t.code == code) return t.text;
  }
  char unknown[24];
  std::snprintf(unknown, sizeof unknown, "(%d)", code);
  return unknown;
}

}  // namespace kestrel::store
