#include "store/library/pg/pg_schema.hpp"

#include "core/strfmt.hpp"

namespace kestrel::library {

const PgKind kPgParts{"parts", "parts", 50100, "Library Description", "Can not create library file",
                      "Can not open library file", "a parts library"};
const PgKind kPgXRefs{"xref", "xrefs", 99, "Cross-Reference Description", "Can not create cross-reference file",
                      "Can not open cross-reference file", "a cross-reference list"};

namespace {

std::string tablesSql(const std::string& s, const PgKind& kind) {
  if (&kind == &kPgParts) {
    return "CREATE TABLE " + s +
           ".parts (id serial PRIMARY KEY, pn bytea NOT NULL UNIQUE, pn2 bytea NOT NULL, type integer NOT NULL, "
           "hybrid smallint NOT NULL, stamp integer NOT NULL, "
           "object bytea NOT NULL CHECK (octet_length(object) BETWEEN 1 AND 1024));"
           "CREATE INDEX ON " + s + ".parts (pn2, id);"
           "CREATE UNIQUE INDEX ON " + s + ".parts (hybrid, type, pn);";
  }
  return "CREATE TABLE " + s +
         ".xrefs (id serial PRIMARY KEY, pn bytea NOT NULL UNIQUE, lib_pn bytea NOT NULL, "
         "object bytea NOT NULL CHECK (octet_length(object) BETWEEN 1 AND 1024));"
         "CREATE INDEX ON " + s + ".xrefs (lib_pn, id);";
}

}  // namespace

bool createPgSchema(PgConnection& conn, const std::string& library, const PgKind& kind, StoreMessage& error) {
  const std::string s = quotedIdentifier(library);
  // Several statements in one message run as one transaction: a failure
  // leaves nothing behind.
  const std::string sql =
      "CREATE SCHEMA " + s + ";" +
      "CREATE TABLE " + s +
      ".header (schema_version integer NOT NULL, kind text NOT NULL, version integer NOT NULL, "
      "description bytea NOT NULL, notes_title bytea NOT NULL, notes bytea NOT NULL);" +
      tablesSql(s, kind) +
      strprintf("INSERT INTO %s.header VALUES (%d, '%s', %u, '%s'::bytea, ''::bytea, ''::bytea);", s.c_str(),
                kPgSchemaVersion, kind.kind, kind.version, kind.descriptionLabel);
  if (conn.command(sql)) return true;
  error.what = kind.createFailed;
  error.code = conn.code();
  error.detail = conn.failure() == PgFailure::Taken ? "the library already exists" : conn.detail();
  return false;
}

bool checkPgSchema(PgConnection& conn, const std::string& library, const PgKind& kind, std::uint32_t& tableOid,
                   StoreMessage& error) {
  const std::string s = quotedIdentifier(library);
  PgResult header;
  if (!conn.run("SELECT schema_version, kind, version FROM " + s + ".header", {}, header) || header.rows() != 1) {
    const bool missing = conn.failure() == PgFailure::Missing || conn.failure() == PgFailure::None;
    error.what = kind.openFailed;
    error.detail = missing ? "library not found" : conn.detail();
    error.code = missing ? StatusCode::NotFound : conn.code();
    return false;
  }
  error.what = "file version error";
  error.code = StatusCode::Corrupt;
  const long long schemaVersion = header.number(0, 0);
  if (schemaVersion != kPgSchemaVersion) {
    error.detail = strprintf("the library's tables are of version %lld, this program reads version %d",
                             schemaVersion, kPgSchemaVersion);
    return false;
  }
  if (header.text(0, 1) != kind.kind) {
    error.detail = strprintf("'%s' is %s", library.c_str(),
                             &kind == &kPgParts ? kPgXRefs.isWhat : kPgParts.isWhat);
    return false;
  }
  if (header.number(0, 2) != kind.version) {
    error.detail = strprintf("version '%lld' is not %u", header.number(0, 2), kind.version);
    return false;
  }
  PgResult oid;
  if (!conn.run("SELECT to_regclass($1)::oid", {PgParam::bytes(s + "." + kind.table)}, oid) || oid.rows() != 1 ||
      oid.isNull(0, 0)) {
    error.what = kind.openFailed;
    error.detail = conn.failure() == PgFailure::None ? "library not found" : conn.detail();
    error.code = conn.failure() == PgFailure::None ? StatusCode::NotFound : conn.code();
    return false;
  }
  tableOid = static_cast<std::uint32_t>(oid.number(0, 0));
  error = {};
  return true;
}

}  // namespace kestrel::library
