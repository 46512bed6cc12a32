#include "platform/RegistryDatabase.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

namespace platform {

namespace {

// Marks a database as ours, so that a file of some other program is never
// taken for a registry and written to.
constexpr int kApplicationId = 0x4B657374; // "Kest"
// How long a writer waits for another process's write to end.
constexpr int kBusyTimeoutMs = 10000;

// A value's code set is kept beside its bytes, so that a value written under
// one locale reads right under another. Earlier versions update rows without
// knowing the column: the trigger then marks the value as theirs (NULL, code
// page 936); we replace rows instead of updating them.
constexpr const char* kCodeSetTrigger =
    "CREATE TRIGGER vals_updated AFTER UPDATE OF data ON vals"
    " BEGIN UPDATE vals SET codeset = NULL WHERE key = new.key AND name = new.name; END;";

// A root key's row id is the low bits of its predefined handle plus one.
constexpr const char* kSchema =
    "CREATE TABLE keys(id INTEGER PRIMARY KEY, parent INTEGER NOT NULL,"
    " name TEXT NOT NULL COLLATE NOCASE, UNIQUE(parent, name));"
    "CREATE TABLE vals(key INTEGER NOT NULL, name TEXT NOT NULL COLLATE NOCASE,"
    " type INTEGER NOT NULL, data BLOB NOT NULL, codeset TEXT, PRIMARY KEY(key, name))"
    " WITHOUT ROWID;"
    "INSERT INTO keys VALUES(1, 0, 'HKEY_CLASSES_ROOT'), (2, 0, 'HKEY_CURRENT_USER'),"
    " (3, 0, 'HKEY_LOCAL_MACHINE'), (4, 0, 'HKEY_USERS'), (6, 0, 'HKEY_CURRENT_CONFIG');"
    "PRAGMA application_id = 1264939892;";
static_assert(kApplicationId == 1264939892);

// Set at start-up; empty until then.
std::string& FixedPath() {
    static std::string path;
    return path;
}

// The file named by the environment instead of the user's own, if any.
const char* NamedDatabase() {
    const char* named = std::getenv("KEST_REGISTRY");
    return named != nullptr && *named != '\0' ? named : nullptr;
}

std::string PathFromEnvironment() {
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

void MakeConfigFolders(const std::string& path) {
    const size_t kestFolder = path.rfind('/');
    const size_t configFolder = path.rfind('/', kestFolder - 1);
    MakeFolder(path.substr(0, configFolder).c_str(), 0700);
    MakeFolder(path.substr(0, kestFolder).c_str(), 0700);
}

// Whether the user may write the file and the folder where its journal goes
// (beside the file a link leads to).
bool MayWrite(const std::string& path) {
    char real[PATH_MAX];
    if (access(path.c_str(), W_OK) != 0 || realpath(path.c_str(), real) == nullptr) {
        return false;
    }
    std::string folder = real;
    folder.erase(folder.rfind('/') + 1);
    return access(folder.c_str(), W_OK) == 0;
}

// A URI for SQLite with `query`; the path's own "?", "#" and "%" escaped.
std::string FileUri(const std::string& path, const char* query) {
    std::string uri = "file:";
    for (const char byte : path) {
        if (byte == '?' || byte == '#' || byte == '%') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(byte));
            uri += escaped;
        } else {
            uri += byte;
        }
    }
    return uri + "?" + query;
}

} // namespace

std::string RegistryDatabasePath() {
    return FixedPath().empty() ? PathFromEnvironment() : FixedPath();
}

void FixRegistryDatabasePath() {
    std::string path = PathFromEnvironment();
    if (!path.empty() && path[0] != '/') {
        path = CurrentDirectory() + "/" + path;
    }
    FixedPath() = path;
}

void UnfixRegistryDatabasePath() { FixedPath().clear(); }

namespace registry {

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

Statement::Statement(sqlite3* db, const char* sql) {
    code = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
}

Statement::~Statement() { sqlite3_finalize(statement); }

void Statement::Bind(int index, int64_t value) {
    Keep(sqlite3_bind_int64(statement, index, static_cast<sqlite3_int64>(value)));
}

void Statement::Bind(int index, std::string_view text) {
    Keep(sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                           SQLITE_TRANSIENT));
}

void Statement::BindBytes(int index, const BYTE* data, DWORD size) {
    Keep(size == 0 ? sqlite3_bind_zeroblob(statement, index, 0)
                   : sqlite3_bind_blob(statement, index, data, static_cast<int>(size),
                                       SQLITE_TRANSIENT));
}

bool Statement::Step() {
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

void Statement::Keep(int bound) {
    if (code == SQLITE_OK) {
        code = bound;
    }
}

namespace {

// Makes a new registry where nothing exists: laid out under a private name
// and linked into place, which never replaces anything that appeared there
// meanwhile (another process making it too, say).
LONG CreateRegistryFile(const std::string& path) {
    std::string laidOut = path + ".XXXXXX";
    const int descriptor = mkostemp(laidOut.data(), O_CLOEXEC);
    if (descriptor < 0) {
        return errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_CANTOPEN;
    }
    close(descriptor);
    LONG result = ERROR_SUCCESS;
    {
        sqlite3* db = nullptr;
        const int opened = sqlite3_open_v2(laidOut.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        const int made = opened == SQLITE_OK
                             ? sqlite3_exec(db, (std::string(kSchema) + kCodeSetTrigger).c_str(),
                                            nullptr, nullptr, nullptr)
                             : opened;
        if (sqlite3_close(db) != SQLITE_OK || made != SQLITE_OK) {
            result = MapError(made);
        }
    }
    // Where hard links are not offered, a rename that refuses to replace.
    if (result == ERROR_SUCCESS && link(laidOut.c_str(), path.c_str()) != 0 && errno != EEXIST &&
        renameat2(AT_FDCWD, laidOut.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) != 0 &&
        errno != EEXIST) {
        result = ERROR_CANTOPEN;
    }
    (void)RemoveFile(laidOut.c_str());
    return result;
}

} // namespace

LONG Database::Run(const char* sql) {
    const int code = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    return code == SQLITE_OK ? ERROR_SUCCESS : MapError(code);
}

LONG Database::OpenFile(const std::string& name, int flags) {
    if (const int opened = sqlite3_open_v2(name.c_str(), &db, flags, nullptr); opened != SQLITE_OK) {
        return MapError(opened);
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    return ERROR_SUCCESS;
}

LONG Database::Open(bool forWriting) {
    const std::string path = RegistryDatabasePath();
    if (path.empty()) {
        return ERROR_CANTOPEN;
    }
    if (!PathExists(path.c_str())) {
        if (!forWriting) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (NamedDatabase() == nullptr) {
            MakeConfigFolders(path);
        }
        if (const LONG made = CreateRegistryFile(path); made != ERROR_SUCCESS) {
            return made;
        }
    }
    const bool writable = MayWrite(path);
    if (forWriting && !writable) {
        return ERROR_ACCESS_DENIED;
    }
    // A file we may not write is read in place: the journal files that a
    // shared reader needs could not be made beside it. Only a journal left
    // behind by a writer needs them.
    const std::string wal = path + "-wal";
    const LONG opened =
        writable ? OpenFile(path, SQLITE_OPEN_READWRITE)
                 : OpenFile(FileUri(path, PathExists(wal.c_str()) ? "mode=ro" : "immutable=1"),
                            SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
    if (opened != ERROR_SUCCESS) {
        return opened;
    }
    bool ours = false;
    if (const LONG inspected = Inspect(ours); inspected != ERROR_SUCCESS) {
        return inspected;
    }
    if (!ours) {
        return ERROR_BADDB;
    }
    if (!writable) {
        return ERROR_SUCCESS;
    }
    // Readers then never wait for a writer. The switch needs the file to
    // itself for a moment; while another process is busy it is simply
    // tried again on a later open, since locking alone keeps writes safe.
    Run("PRAGMA journal_mode = WAL");
    return Run("PRAGMA synchronous = FULL");
}

// One statement, so that the mark and the tables are seen as of one moment.
LONG Database::Inspect(bool& ours) {
    Statement inspect(db, "SELECT (SELECT * FROM pragma_application_id),"
                          " (SELECT count(*) FROM pragma_table_info('vals') WHERE name = 'codeset')");
    if (inspect.Step()) {
        ours = inspect.Integer(0) == kApplicationId;
        hasCodeSets = inspect.Integer(1) != 0;
    }
    return inspect.Result() == SQLITE_OK ? ERROR_SUCCESS : MapError(inspect.Result());
}

// Gives a registry of an earlier version the column for code sets. Another
// process may be doing the same, so the file is inspected again under the lock.
LONG Database::AddCodeSets() {
    if (hasCodeSets) {
        return ERROR_SUCCESS;
    }
    LONG result = Run("BEGIN IMMEDIATE");
    if (result != ERROR_SUCCESS) {
        return result;
    }
    bool ours = false;
    result = Inspect(ours);
    if (result == ERROR_SUCCESS && !hasCodeSets) {
        result = Run((std::string("ALTER TABLE vals ADD COLUMN codeset TEXT;") + kCodeSetTrigger).c_str());
    }
    result = result == ERROR_SUCCESS ? Run("COMMIT") : result;
    if (result != ERROR_SUCCESS) {
        Run("ROLLBACK");
        return result;
    }
    hasCodeSets = true;
    return ERROR_SUCCESS;
}

} // namespace registry
} // namespace platform
