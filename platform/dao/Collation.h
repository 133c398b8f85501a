#pragma once

#include <sqlite3.h>

namespace dao {

inline constexpr const char *kTextCollation = "DAOTEXT";

// Registers the text collation on a connection; every connection needs it
// before it touches a table.
int registerTextCollation(sqlite3 *db);

} // namespace dao
