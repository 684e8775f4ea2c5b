#include "browsers/TableCleanup.h"

#include <windows.h>

#include "browsers/SQLiteTable3.h"

namespace klarvex {

void RunWhereTablesExist(const std::wstring& path, std::initializer_list<TableStatement> statements) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    TSQLiteDatabase database(path);
    for (const auto& statement : statements)
        if (database.HasTable(statement.table)) database.ExecuteStatement(statement.sql);
}

}  // namespace klarvex
