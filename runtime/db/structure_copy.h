#pragma once

#include "runtime/value.h"

namespace kalvento::rt::db {

// Structure copies and the record copy routines, on the current work area.
// Creating a table refuses (RuntimeError) to replace a table file that someone
// holds open; a new file is written beside the old one and renamed over it.

// Writes the structure table `file`: fields FIELD_NAME C(10), FIELD_TYPE C(1),
// FIELD_LEN N(3), FIELD_DEC N(3), one record per field of the current table in
// field order. A character field longer than 999 keeps its length as
// FIELD_LEN + 256 * FIELD_DEC, the high byte in the decimals as in the file header.
void DbCopyExtStruct(const Value& file);

// Creates `file` from the records of the structure table `structFile` (deleted
// records skipped) and opens it in the current work area (newArea true: in the
// lowest free one) with the default sharing mode.
void DbCreateFrom(const Value& file, const Value& driver, const Value& structFile,
                  const Value& newArea = {}, const Value& alias = {});

// Creates `file` with the structure {{name, type, length, decimals}, ...}.
// newArea true opens it in a new area, false in the current one, NIL not at all.
void DbCreate(const Value& file, const Value& structure, const Value& driver = {},
              const Value& newArea = {}, const Value& alias = {});

// Writes a new table `file` with the current table's structure (or the fields
// named in `fields`) and copies its records: every record (deleted ones keep
// their mark; they are left out while deleted records are hidden), in the
// current order, or as the scope arguments say (for/while blocks, next count,
// one record, the rest from the current one). The record pointer and the
// notifications of the area are as before the call.
void _DbExport(const Value& file, const Value& fields = {}, const Value& rest = {},
               const Value& forBlock = {}, const Value& whileBlock = {}, const Value& next = {},
               const Value& record = {}, const Value& driver = {});

// Appends every record of the table `file` to the current table, copying the
// values of the fields both have under the same name (and of compatible type);
// deleted records keep their mark, or are left out while deleted records are
// hidden.
void DbImport(const Value& file);

// Deletes a file: 0 on success, -1 if it cannot be deleted.
int FErase(const Value& file);

void RegisterStructureRoutines();

}  // namespace kalvento::rt::db
