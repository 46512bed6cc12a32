#include "platform/Registry.h"

#include "platform/RegistryDatabase.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace platform {

namespace {

using registry::Database;
using registry::MapError;
using registry::Statement;

constexpr size_t kMaxKeyNameLength = 255;
// Keys below a root, at most, as the platform's registry allowed.
constexpr size_t kMaxKeyDepth = 512;

} // namespace

struct RegistryKey {
    std::shared_ptr<Database> database;
    int64_t id = 0;
    REGSAM access = 0;
    size_t depth = 0; // keys between the root and this one, itself included
};

namespace {

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

bool IsPredefined(HKEY key) {
    return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
           key == HKEY_USERS || key == HKEY_CURRENT_CONFIG;
}

// The key a call works on: an open handle as it is, a predefined key with a
// fresh connection to the database. The handle must carry the `needed` rights.
LONG Resolve(HKEY key, bool forWriting, REGSAM needed, RegistryKey& resolved) {
    if (key == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    if (!IsPredefined(key)) {
        resolved = *key;
        return (key->access & needed) == needed ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    }
    auto database = std::make_shared<Database>();
    if (const LONG opened = database->Open(forWriting); opened != ERROR_SUCCESS) {
        return opened;
    }
    resolved = {std::move(database),
                static_cast<int64_t>(reinterpret_cast<uintptr_t>(key) & 0xF) + 1, KEY_ALL_ACCESS};
    return ERROR_SUCCESS;
}

// Key names of a '\'-joined path; false for an empty or overlong name. A '\'
// that is the second byte of a character separates nothing.
bool SplitPath(const char* path, std::vector<std::string_view>& names) {
    std::string_view rest = path == nullptr ? std::string_view() : std::string_view(path);
    while (!rest.empty()) {
        const size_t end = FindCharacter(rest, '\\', HostStepping());
        const std::string_view name = rest.substr(0, end);
        if (name.empty() || name.size() > kMaxKeyNameLength) {
            return false;
        }
        names.push_back(name);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return true;
}

// A name as the host gives it, then as UTF-8 and as code page 936: a name
// written under one locale is found under another, the host's own bytes first.
struct NameForms {
    std::string forms[3];
};

NameForms FormsOf(std::string_view name) {
    NameForms forms{{std::string(name), std::string(name), std::string(name)}};
    if (std::all_of(name.begin(), name.end(),
                    [](char byte) { return static_cast<unsigned char>(byte) < 0x80; })) {
        return forms;
    }
    const char* const other[] = {"UTF-8", "CP936"};
    for (size_t i = 0; i < 2; ++i) {
        if (auto converted = ConvertExactly(name, HostEncoding().c_str(), other[i])) {
            forms.forms[i + 1] = std::move(*converted);
        }
    }
    return forms;
}

// The forms go to ?2, ?3 and ?4; the query prefers a row by ?2.
void BindForms(Statement& statement, const NameForms& forms) {
    for (int i = 0; i < 3; ++i) {
        statement.Bind(i + 2, forms.forms[i]);
    }
}

// Walks `names` down from `key.id`. Stops at the first missing name: `found`
// is how many names exist, and key.id is the last of them.
LONG Walk(RegistryKey& key, const std::vector<std::string_view>& names, size_t& found) {
    found = 0;
    for (const std::string_view name : names) {
        Statement child(key.database->Handle(),
                        "SELECT id FROM keys WHERE parent = ?1 AND name IN (?2, ?3, ?4)"
                        " ORDER BY name = ?2 DESC LIMIT 1");
        child.Bind(1, key.id);
        BindForms(child, FormsOf(name));
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
LONG WalkPath(HKEY key, const char* subKey, bool forWriting, HKEY* result, PathWalk& walk) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    const size_t depth = key != nullptr && !IsPredefined(key) ? key->depth : 0;
    if (!SplitPath(subKey, walk.names) || depth + walk.names.size() > kMaxKeyDepth) {
        return ERROR_BAD_PATHNAME;
    }
    const LONG status = Resolve(key, forWriting, 0, walk.key);
    walk.start = walk.key.id;
    return status == ERROR_SUCCESS ? Walk(walk.key, walk.names, walk.found) : status;
}

LONG Hand(PathWalk&& walk, REGSAM access, HKEY* result) {
    walk.key.access = access;
    walk.key.depth += walk.names.size();
    *result = new RegistryKey(std::move(walk.key));
    return ERROR_SUCCESS;
}

} // namespace

LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD, REGSAM access, HKEY* result) {
    PathWalk walk;
    if (const LONG status = WalkPath(key, subKey, false, result, walk); status != ERROR_SUCCESS) {
        return status;
    }
    return walk.found == walk.names.size() ? Hand(std::move(walk), access, result)
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
    return Hand(std::move(walk), access, result);
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
                    opened.database->HasCodeSets()
                        ? "SELECT type, data, codeset FROM vals WHERE key = ?1 AND name IN"
                          " (?2, ?3, ?4) ORDER BY name = ?2 DESC LIMIT 1"
                        : "SELECT type, data, NULL FROM vals WHERE key = ?1 AND name IN"
                          " (?2, ?3, ?4) ORDER BY name = ?2 DESC LIMIT 1");
    value.Bind(1, opened.id);
    BindForms(value, FormsOf(valueName == nullptr ? "" : valueName));
    if (!value.Step()) {
        return value.Result() == SQLITE_OK ? ERROR_FILE_NOT_FOUND : MapError(value.Result());
    }
    const auto storedType = static_cast<DWORD>(value.Integer(0));
    if (type != nullptr) {
        *type = storedType;
    }
    std::string_view bytes(static_cast<const char*>(value.Bytes(1)),
                           static_cast<size_t>(value.Size(1)));
    std::string converted;
    if (IsText(storedType)) {
        // Text reads in the host's encoding, as it does where the registry
        // keeps Unicode. Values of earlier versions are code page 936.
        const char* writtenIn = value.Text(2) != nullptr ? value.Text(2) : "CP936";
        if (HostEncoding() != writtenIn) {
            converted = ConvertText(bytes, writtenIn, HostEncoding().c_str(),
                                    HostIsUtf8() ? "\xEF\xBF\xBD" : "?");
            bytes = converted;
        }
    }
    const auto size = static_cast<DWORD>(bytes.size());
    LONG status = ERROR_SUCCESS;
    if (data != nullptr) {
        if (size > *dataSize) {
            status = ERROR_MORE_DATA;
        } else if (size > 0) {
            std::memcpy(data, bytes.data(), size);
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
    if (const LONG added = opened.database->AddCodeSets(); added != ERROR_SUCCESS) {
        return added;
    }
    // A value that exists keeps the name it was written with.
    const NameForms forms = FormsOf(valueName == nullptr ? "" : valueName);
    std::string name = forms.forms[0];
    Statement existing(opened.database->Handle(),
                       "SELECT name FROM vals WHERE key = ?1 AND name IN (?2, ?3, ?4)"
                       " ORDER BY name = ?2 DESC LIMIT 1");
    existing.Bind(1, opened.id);
    BindForms(existing, forms);
    if (existing.Step()) {
        name.assign(static_cast<const char*>(existing.Bytes(0)),
                    static_cast<size_t>(existing.Size(0)));
    } else if (existing.Result() != SQLITE_OK) {
        return MapError(existing.Result());
    }
    // A replaced row, not an updated one: see the code sets' trigger.
    Statement store(opened.database->Handle(),
                    "INSERT OR REPLACE INTO vals(key, name, type, data, codeset)"
                    " VALUES(?, ?, ?, ?, ?)");
    store.Bind(1, opened.id);
    store.Bind(2, name);
    store.Bind(3, static_cast<int64_t>(type));
    store.BindBytes(4, data, dataSize);
    store.Bind(5, HostEncoding());
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
