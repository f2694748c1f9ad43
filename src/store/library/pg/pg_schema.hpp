// The tables of a library kept in a database. Each library is a schema of
// its own, named by the library's name, holding:
//
//   header  one row: schema_version (1), kind ('parts' or 'xref'), version
//           (50100 for parts, 99 for cross-references), description,
//           notes_title, notes (bytea, the bytes a file's header records hold)
//   parts   id serial (the record number), pn bytea unique, pn2 bytea,
//           type integer, hybrid smallint, stamp integer (seconds since
//           1970), object bytea (the stored part, 1..1024 bytes);
//           indexes (pn2, id) and unique (hybrid, type, pn): the three
//           find orders of a library file
//   xrefs   id serial, pn bytea unique, lib_pn bytea, object bytea
//           (at most 1024 bytes); index (lib_pn, id)
//
// Numbers are bytea holding exactly the bytes a file's keys hold (cut to 25
// bytes; cross-reference numbers upper-cased), so bytes order the rows as
// a file's keys order its records, and no text meets the server's encoding.
#pragma once

#include <cstdint>
#include <string>

#include "store/library/pg/pg_connection.hpp"
#include "store/library/store_message.hpp"

namespace kestrel::library {

inline constexpr int kPgSchemaVersion = 1;

// What differs between a parts library and a cross-reference list.
struct PgKind {
  const char* kind;              // header.kind
  const char* table;             // "parts", "xrefs"
  std::uint32_t version;
  const char* descriptionLabel;  // the description of a new library
  const char* createFailed;      // "Can not create library file"
  const char* openFailed;        // "Can not open library file"
  const char* isWhat;            // "a parts library": what a library of this kind is
};

extern const PgKind kPgParts;
extern const PgKind kPgXRefs;

// Makes the schema, its tables and its header row in one transaction; on
// failure `error` (what and detail) says why and nothing is left.
bool createPgSchema(PgConnection& conn, const std::string& library, const PgKind& kind, StoreMessage& error);
// Checks the header row of an existing library: there, of this schema
// version, kind and version; `tableOid` receives the oid of its table.
bool checkPgSchema(PgConnection& conn, const std::string& library, const PgKind& kind, std::uint32_t& tableOid,
                   StoreMessage& error);

}  // namespace kestrel::library
