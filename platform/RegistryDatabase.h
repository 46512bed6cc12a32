// The registry's database file: where it is, how it is made and opened, and
// the statements run on it. Only the registry functions use this.
#pragma once

#include "platform/Registry.h"

#include <cstdint>
#include <sqlite3.h>
#include <string>
#include <string_view>

namespace platform::registry {

LONG MapError(int code);

// One prepared statement; the first failure is kept and ends every later step.
class Statement {
public:
    Statement(sqlite3* db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void Bind(int index, int64_t value);
    void Bind(int index, std::string_view text);
    void BindBytes(int index, const BYTE* data, DWORD size);
    // True while a row is there; afterwards Result() tells done from failed.
    bool Step();
    int64_t Integer(int column) const { return sqlite3_column_int64(statement, column); }
    const void* Bytes(int column) const { return sqlite3_column_blob(statement, column); }
    int Size(int column) const { return sqlite3_column_bytes(statement, column); }
    // A text column; null for NULL.
    const char* Text(int column) const {
        return reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    }
    int Result() const { return code; }

private:
    void Keep(int bound);
    sqlite3_stmt* statement = nullptr;
    int code = SQLITE_OK;
};

class Database {
public:
    Database() = default;
    ~Database() { sqlite3_close(db); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the registry file. For reading, a missing file gives
    // ERROR_FILE_NOT_FOUND and a file the user may not write is read as it
    // is, leaving nothing beside it. For writing, only a path where nothing
    // exists is made a new registry, and a file the user may not write gives
    // ERROR_ACCESS_DENIED. A file that is not ours gives ERROR_BADDB.
    LONG Open(bool forWriting);

    sqlite3* Handle() const { return db; }
    LONG Run(const char* sql);
    // Files made before values carried the code set they were written in
    // have no column for it; reads take their values as code page 936.
    bool HasCodeSets() const { return hasCodeSets; }
    // Gives such a file the column, before the first write.
    LONG AddCodeSets();

private:
    LONG OpenFile(const std::string& name, int flags);
    // Whether the file is ours, and whether its values carry code sets.
    LONG Inspect(bool& ours);

    sqlite3* db = nullptr;
    bool hasCodeSets = false;
};

} // namespace platform::registry
