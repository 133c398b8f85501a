#pragma once

#include <sqlite3.h>

namespace dao {

inline constexpr const char *kTextCollation = "DAOTEXT";

// Registers the text collation on a connection; every connection needs it
// before it touches a table.
int registerTextCollation(sqlite3 *db);

// Two UTF-8 texts compared as that collation compares them.
int compareTextUtf8(const char *a, int na, const char *b, int nb);

} // namespace dao
