#pragma once
// Module TABDEF: the schema of a knowledge base and the binding of its
// tables to the shared recordsets and fields of module START.

#include <QStringList>

// Builds the twenty tables in g_Db, a base created a moment before; each
// table is in the file before the next is begun. Engine errors are raised.
void CreateBaseTables();

// Writes the thirteen reference types into TYPES through rsTypes, leaving
// rsTypes (index "TYPE") and fldTypesType bound.
void FillTypesTable();

// Binds every rs* and fld* of START to g_Db. All or nothing: when the base
// lacks a table, index or column, no variable changes and the error (3078,
// 3015 or 3265, or 91 without a base) names what is missing.
void OpenBaseTables();

// The reference types written by FillTypesTable, in their order.
const QStringList &ReferenceTypeNames();
