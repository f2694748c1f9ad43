// Naming a library: a path stays a file; a PostgreSQL address gives its
// connection (the library parameter taken out, every other one kept for the
// client library) and the library's name; a password, a missing or bad name
// is refused naming the address.
#include <gtest/gtest.h>

#include "store/library/library_location.hpp"

namespace kestrel {
namespace {

TEST(LibraryLocation, PathsAddressesAndRefusals) {
  struct Case {
    const char* text;
    const char* connection;  // null: a file; "": refused
    const char* library;     // or the refusal's words
  };
  const Case cases[] = {
      {"parts.lib", nullptr, ""},
      {"/srv/postgresql/parts.lib", nullptr, ""},
      {"postgresql://db.example/reliability?library=avionics", "postgresql://db.example/reliability", "avionics"},
      {"POSTGRES://alice@db:5433/rel?sslmode=require&library=Power_2&connect_timeout=5",
       "POSTGRES://alice@db:5433/rel?sslmode=require&connect_timeout=5", "Power_2"},
      {"postgresql:///rel?host=/run/pg&library=a%2Db", "postgresql:///rel?host=/run/pg", "a-b"},
      {"postgresql://alice:secret@db/rel?library=x", "", "password"},
      {"postgresql://db/rel?library=x&password=secret", "", "password"},
      {"postgresql://db/rel", "", "?library=NAME"},
      {"postgresql://db/rel?library=", "", "1 to 63"},
      {"postgresql://db/rel?library=parts;drop", "", "not 'parts;drop'"},
      {"postgresql://db/rel?library=a%2", "", "not readable"},
      {"postgresql://db/rel?library=a&library=b", "", "named twice"},
  };
  for (const Case& c : cases) {
    LibraryLocation where;
    const Status s = parseLibraryLocation(c.text, where);
    if (c.connection == nullptr) {
      ASSERT_TRUE(s.isOk()) << c.text;
      EXPECT_EQ(where.home, LibraryLocation::Home::File);
      EXPECT_EQ(where.path, c.text);
    } else if (*c.connection == '\0') {
      EXPECT_EQ(s.code(), StatusCode::InvalidArgument) << c.text;
      // The address is named, but never a password in it.
      EXPECT_NE(s.message().find(std::string("'") + withoutPassword(c.text) + "'"), std::string::npos) << s.message();
      EXPECT_EQ(s.message().find("secret"), std::string::npos) << s.message();
      EXPECT_NE(s.message().find(c.library), std::string::npos) << s.message();
    } else {
      ASSERT_TRUE(s.isOk()) << c.text << ": " << s.message();
      EXPECT_EQ(where.home, LibraryLocation::Home::Database);
      EXPECT_EQ(where.connection, c.connection);
      EXPECT_EQ(where.library, c.library);
    }
  }
}

}  // namespace
}  // namespace kestrel
