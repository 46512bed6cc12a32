#include "platform/Registry.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <pwd.h>
#include <sqlite3.h>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// Marks a database as ours, so that a file of some other program is never
// taken for an empty registry and written to.
constexpr int kApplicationId = 0x4B657374; // "Kest"
// How long a writer waits for another process's write to end.
constexpr int kBusyTimeoutMs = 10000;
constexpr size_t kMaxKeyNameLength = 255;

// A root key's row id is the low bits of its predefined handle plus one.
constexpr const char* kSchema =
    "CREATE TABLE keys(id INTEGER PRIMARY KEY, parent INTEGER NOT NULL,"
    " name TEXT NOT NULL COLLATE NOCASE, UNIQUE(parent, name));"
    "CREATE TABLE vals(key INTEGER NOT NULL, name TEXT NOT NULL COLLATE NOCASE,"
    " type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(key, name)) WITHOUT ROWID;"
    "INSERT INTO keys VALUES(1, 0, 'HKEY_CLASSES_ROOT'), (2, 0, 'HKEY_CURRENT_USER'),"
    " (3, 0, 'HKEY_LOCAL_MACHINE'), (4, 0, 'HKEY_USERS'), (6, 0, 'HKEY_CURRENT_CONFIG');"
    "PRAGMA application_id = 1264939892;";
static_assert(kApplicationId == 1264939892);

// The file named by the environment instead of the user's own, if any.
const char* NamedDatabase() {
    const char* named = std::getenv("KEST_REGISTRY");
    return named != nullptr && *named != '\0' ? named : nullptr;
}

LONG MapError(int code) {
    switch (code & 0xFF) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return ERROR_BADDB;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return ERROR_ACCESS_DENIED;
    case SQLITE_CANTOPEN:
        return ERROR_CANTOPEN;
    default:
        return ERROR_REGISTRY_IO_FAILED;
    }
}

class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        code = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    }
    ~Statement() { sqlite3_finalize(statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void Bind(int index, int64_t value) {
        Keep(sqlite3_bind_int64(statement, index, static_cast<sqlite3_int64>(value)));
    }
    void Bind(int index, std::string_view text) {
        Keep(sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                               SQLITE_TRANSIENT));
    }
    void BindBytes(int index, const BYTE* data, DWORD size) {
        Keep(size == 0 ? sqlite3_bind_zeroblob(statement, index, 0)
                       : sqlite3_bind_blob(statement, index, data, static_cast<int>(size),
                                           SQLITE_TRANSIENT));
    }
    // True while a row is there; afterwards Result() tells done from failed.
    bool Step() {
        if (code != SQLITE_OK) {
            return false;
        }
        const int stepped = sqlite3_step(statement);
        if (stepped == SQLITE_ROW) {
            return true;
        }
        code = stepped == SQLITE_DONE ? SQLITE_OK : stepped;
        return false;
    }
    int64_t Integer(int column) const { return sqlite3_column_int64(statement, column); }
    const void* Bytes(int column) const { return sqlite3_column_blob(statement, column); }
    int Size(int column) const { return sqlite3_column_bytes(statement, column); }
    int Result() const { return code; }

private:
    void Keep(int bound) {
        if (code == SQLITE_OK) {
            code = bound;
        }
    }
    sqlite3_stmt* statement = nullptr;
    int code = SQLITE_OK;
};

class Database {
public:
    ~Database() { sqlite3_close(db); }

    // Opens the registry file. Without mayCreate a missing or empty file
    // gives ERROR_FILE_NOT_FOUND and nothing is written.
    LONG Open(bool mayCreate) {
        const std::string path = RegistryDatabasePath();
        if (path.empty()) {
            return ERROR_CANTOPEN;
        }
        if (mayCreate && NamedDatabase() == nullptr) {
            MakeConfigFolders(path);
        }
        const int flags = SQLITE_OPEN_READWRITE | (mayCreate ? SQLITE_OPEN_CREATE : 0);
        if (const int opened = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
            opened != SQLITE_OK) {
            return !mayCreate && !PathExists(path.c_str()) ? ERROR_FILE_NOT_FOUND
                                                           : MapError(opened);
        }
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        Layout layout = Layout::Foreign;
        if (const LONG inspected = Inspect(layout); inspected != ERROR_SUCCESS) {
            return inspected;
        }
        if (layout == Layout::Foreign) {
            return ERROR_BADDB;
        }
        if (layout == Layout::Fresh) {
            if (const LONG laidOut = mayCreate ? Initialise() : ERROR_FILE_NOT_FOUND;
                laidOut != ERROR_SUCCESS) {
                return laidOut;
            }
        }
        // Readers then never wait for a writer. The switch needs the file to
        // itself for a moment; while another process is busy it is simply
        // tried again on a later open, since locking alone keeps writes safe.
        Run("PRAGMA journal_mode = WAL");
        return Run("PRAGMA synchronous = FULL");
    }

    sqlite3* Handle() const { return db; }

    LONG Run(const char* sql) {
        const int code = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
        return code == SQLITE_OK ? ERROR_SUCCESS : MapError(code);
    }

private:
    static void MakeConfigFolders(const std::string& path) {
        const size_t kestFolder = path.rfind('/');
        const size_t configFolder = path.rfind('/', kestFolder - 1);
        MakeFolder(path.substr(0, configFolder).c_str(), 0700);
        MakeFolder(path.substr(0, kestFolder).c_str(), 0700);
    }

    enum class Layout { Ours, Fresh, Foreign };

    // One statement, so that the mark and the tables are seen as of one moment
    // even while another process lays out the file.
    LONG Inspect(Layout& layout) {
        Statement inspect(db, "SELECT (SELECT * FROM pragma_application_id),"
                              " (SELECT count(*) FROM sqlite_master)");
        if (inspect.Step()) {
            const int64_t mark = inspect.Integer(0);
            layout = mark == kApplicationId                 ? Layout::Ours
                     : mark == 0 && inspect.Integer(1) == 0 ? Layout::Fresh
                                                            : Layout::Foreign;
        }
        return inspect.Result() == SQLITE_OK ? ERROR_SUCCESS : MapError(inspect.Result());
    }

    // Lays out a fresh file. Another process may be doing the same, so the
    // file is inspected again inside the write transaction.
    LONG Initialise() {
        LONG result = Run("BEGIN IMMEDIATE");
        if (result != ERROR_SUCCESS) {
            return result;
        }
        Layout layout = Layout::Foreign;
        result = Inspect(layout);
        if (result == ERROR_SUCCESS && layout != Layout::Ours) {
            result = layout == Layout::Fresh ? Run(kSchema) : ERROR_BADDB;
        }
        if (result == ERROR_SUCCESS) {
            result = Run("COMMIT");
        }
        if (result != ERROR_SUCCESS) {
            Run("ROLLBACK");
        }
        return result;
    }

    sqlite3* db = nullptr;
};

} // namespace

struct RegistryKey {
    std::shared_ptr<Database> database;
    int64_t id = 0;
    REGSAM access = 0;
};

namespace {

bool IsPredefined(HKEY key) {
    return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
           key == HKEY_USERS || key == HKEY_CURRENT_CONFIG;
}

// The key a call works on: an open handle as it is, a predefined key with a
// fresh connection to the database. The handle must carry the `needed` rights.
LONG Resolve(HKEY key, bool mayCreate, REGSAM needed, RegistryKey& resolved) {
    if (key == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    if (!IsPredefined(key)) {
        resolved = *key;
        return (key->access & needed) == needed ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    }
    auto database = std::make_shared<Database>();
    if (const LONG opened = database->Open(mayCreate); opened != ERROR_SUCCESS) {
        return opened;
    }
    resolved = {std::move(database),
                static_cast<int64_t>(reinterpret_cast<uintptr_t>(key) & 0xF) + 1, KEY_ALL_ACCESS};
    return ERROR_SUCCESS;
}

// Key names of a '\'-joined path; false for an empty or overlong name.
bool SplitPath(const char* path, std::vector<std::string_view>& names) {
    std::string_view rest = path == nullptr ? std::string_view() : std::string_view(path);
    while (!rest.empty()) {
        const size_t end = rest.find('\\');
        const std::string_view name = rest.substr(0, end);
        if (name.empty() || name.size() > kMaxKeyNameLength) {
            return false;
        }
        names.push_back(name);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return true;
}

// Walks `names` down from `key.id`. Stops at the first missing name: `found`
// is how many names exist, and key.id is the last of them.
LONG Walk(RegistryKey& key, const std::vector<std::string_view>& names, size_t& found) {
    found = 0;
    for (const std::string_view name : names) {
        Statement child(key.database->Handle(),
                        "SELECT id FROM keys WHERE parent = ? AND name = ?");
        child.Bind(1, key.id);
        child.Bind(2, name);
        if (!child.Step()) {
            return child.Result() == SQLITE_OK ? ERROR_SUCCESS : MapError(child.Result());
        }
        key.id = child.Integer(0);
        ++found;
    }
    return ERROR_SUCCESS;
}

LONG CreateMissing(RegistryKey& key, const std::vector<std::string_view>& names, size_t& found) {
    Database& database = *key.database;
    LONG result = database.Run("BEGIN IMMEDIATE");
    if (result != ERROR_SUCCESS) {
        return result;
    }
    result = Walk(key, names, found);
    for (size_t i = found; result == ERROR_SUCCESS && i < names.size(); ++i) {
        Statement insert(database.Handle(), "INSERT INTO keys(parent, name) VALUES(?, ?)");
        insert.Bind(1, key.id);
        insert.Bind(2, names[i]);
        insert.Step();
        result = insert.Result() == SQLITE_OK ? ERROR_SUCCESS : MapError(insert.Result());
        key.id = sqlite3_last_insert_rowid(database.Handle());
    }
    if (result == ERROR_SUCCESS) {
        result = database.Run("COMMIT");
    }
    if (result != ERROR_SUCCESS) {
        database.Run("ROLLBACK");
    }
    return result;
}

// How far a key path leads down from a key.
struct PathWalk {
    RegistryKey key;   // the last key found
    int64_t start = 0; // the key the walk began at
    std::vector<std::string_view> names;
    size_t found = 0; // how many of the names exist
};

// What opening and creating share: the arguments' checks, the key, and the
// walk down as far as the path exists.
LONG WalkPath(HKEY key, const char* subKey, bool mayCreate, HKEY* result, PathWalk& walk) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    if (!SplitPath(subKey, walk.names)) {
        return ERROR_BAD_PATHNAME;
    }
    const LONG status = Resolve(key, mayCreate, 0, walk.key);
    walk.start = walk.key.id;
    return status == ERROR_SUCCESS ? Walk(walk.key, walk.names, walk.found) : status;
}

LONG Hand(RegistryKey&& key, REGSAM access, HKEY* result) {
    key.access = access;
    *result = new RegistryKey(std::move(key));
    return ERROR_SUCCESS;
}

} // namespace

std::string RegistryDatabasePath() {
    if (const char* named = NamedDatabase(); named != nullptr) {
        return named;
    }
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
        config = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || *home == '\0') {
            const passwd* user = getpwuid(getuid());
            home = user != nullptr ? user->pw_dir : nullptr;
        }
        if (home == nullptr || *home == '\0') {
            return {};
        }
        config = std::string(home) + "/.config";
    }
    return config + "/kest/registry.sqlite";
}

LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD, REGSAM access, HKEY* result) {
    PathWalk walk;
    if (const LONG status = WalkPath(key, subKey, false, result, walk); status != ERROR_SUCCESS) {
        return status;
    }
    return walk.found == walk.names.size() ? Hand(std::move(walk.key), access, result)
                                           : ERROR_FILE_NOT_FOUND;
}

LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD, char*, DWORD, REGSAM access, const void*,
                     HKEY* result, DWORD* disposition) {
    PathWalk walk;
    LONG status = WalkPath(key, subKey, true, result, walk);
    if (status == ERROR_SUCCESS && walk.found < walk.names.size()) {
        // Only a missing key needs the write lock; the walk is repeated under it.
        walk.key.id = walk.start;
        status = (walk.key.access & KEY_CREATE_SUB_KEY) == 0
                     ? ERROR_ACCESS_DENIED
                     : CreateMissing(walk.key, walk.names, walk.found);
    }
    if (status != ERROR_SUCCESS) {
        return status;
    }
    if (disposition != nullptr) {
        // Another process may have made the path meanwhile.
        *disposition =
            walk.found == walk.names.size() ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    }
    return Hand(std::move(walk.key), access, result);
}

LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD*, DWORD* type, BYTE* data,
                      DWORD* dataSize) {
    if (data != nullptr && dataSize == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    RegistryKey opened;
    if (const LONG status = Resolve(key, false, KEY_QUERY_VALUE, opened); status != ERROR_SUCCESS) {
        return status;
    }
    Statement value(opened.database->Handle(),
                    "SELECT type, data FROM vals WHERE key = ? AND name = ?");
    value.Bind(1, opened.id);
    value.Bind(2, valueName == nullptr ? "" : valueName);
    if (!value.Step()) {
        return value.Result() == SQLITE_OK ? ERROR_FILE_NOT_FOUND : MapError(value.Result());
    }
    if (type != nullptr) {
        *type = static_cast<DWORD>(value.Integer(0));
    }
    const auto size = static_cast<DWORD>(value.Size(1));
    LONG status = ERROR_SUCCESS;
    if (data != nullptr) {
        if (size > *dataSize) {
            status = ERROR_MORE_DATA;
        } else if (size > 0) {
            std::memcpy(data, value.Bytes(1), size);
        }
    }
    if (dataSize != nullptr) {
        *dataSize = size;
    }
    return status;
}

LONG RegSetValueExA(HKEY key, const char* valueName, DWORD, DWORD type, const BYTE* data,
                    DWORD dataSize) {
    if (data == nullptr && dataSize != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    RegistryKey opened;
    if (const LONG status = Resolve(key, true, KEY_SET_VALUE, opened); status != ERROR_SUCCESS) {
        return status;
    }
    Statement store(opened.database->Handle(),
                    "INSERT INTO vals(key, name, type, data) VALUES(?, ?, ?, ?)"
                    " ON CONFLICT(key, name) DO UPDATE SET type = excluded.type,"
                    " data = excluded.data");
    store.Bind(1, opened.id);
    store.Bind(2, valueName == nullptr ? "" : valueName);
    store.Bind(3, static_cast<int64_t>(type));
    store.BindBytes(4, data, dataSize);
    store.Step();
    return store.Result() == SQLITE_OK ? ERROR_SUCCESS : MapError(store.Result());
}

LONG RegCloseKey(HKEY key) {
    if (key == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    if (!IsPredefined(key)) {
        delete key;
    }
    return ERROR_SUCCESS;
}

} // namespace platform
