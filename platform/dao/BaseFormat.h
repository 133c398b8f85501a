#pragma once
// What a base of this program holds besides its own tables: the catalog of
// what SQLite does not keep, and the texts its tables and indexes are made
// with. Shared by the engine and the checker that looks at a file before
// the program opens it, so both agree on what "a base" is.

namespace dao::format {

inline constexpr const char *kFormat = "corvane-dao 1";

// The catalog tables, each made by exactly this statement.
inline constexpr const char *kMetaSql = "CREATE TABLE \"dao.meta\"(key TEXT PRIMARY KEY, value TEXT)";
inline constexpr const char *kTablesSql = "CREATE TABLE \"dao.tables\"(id INTEGER PRIMARY KEY, name TEXT NOT NULL)";
inline constexpr const char *kColumnsSql =
    "CREATE TABLE \"dao.columns\"(tbl INTEGER, ord INTEGER, name TEXT, type INTEGER, "
    "size INTEGER, attributes INTEGER, zerolength INTEGER, required INTEGER, "
    "PRIMARY KEY(tbl, ord))";
inline constexpr const char *kIndexesSql =
    "CREATE TABLE \"dao.indexes\"(tbl INTEGER, ord INTEGER, name TEXT, isprimary INTEGER, "
    "isunique INTEGER, isrequired INTEGER, ignorenulls INTEGER, fields TEXT, "
    "PRIMARY KEY(tbl, ord))";

// The declaration of a column after its quoted name, by kind.
inline constexpr const char *kCounterDecl = " INTEGER PRIMARY KEY AUTOINCREMENT";
inline constexpr const char *kTextDecl = " TEXT COLLATE DAOTEXT";
inline constexpr const char *kDateDecl = " TEXT";
inline constexpr const char *kNumberDecl = " INTEGER";

} // namespace dao::format
