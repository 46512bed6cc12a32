// The 8-bit registry functions over one SQLite database per user.
//
// The database is $KEST_REGISTRY when that is set, else
// $XDG_CONFIG_HOME/kest/registry.sqlite, else ~/.config/kest/registry.sqlite.
// It holds the five predefined roots; key and value names match without regard
// to ASCII case; values keep their type and their bytes, and text values the
// encoding they were written in, so that they read in the host's encoding
// under any locale. Every write is committed before the function returns, and
// several processes may use the file at once. Only a path where nothing exists
// is made a registry: a file that cannot be opened, or that is not one of our
// databases (an empty file included), makes every call fail and is never
// rewritten. A registry the user may only read can be read; writes to it fail.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

using LONG = int32_t;
using DWORD = uint32_t;
using BYTE = unsigned char;
using REGSAM = uint32_t;

struct RegistryKey;
using HKEY = RegistryKey*;

// The predefined keys carry their Windows values; a handle to an opened key is
// an object of ours and is never equal to one of them.
inline const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(uintptr_t{0x80000000});
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(uintptr_t{0x80000001});
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(uintptr_t{0x80000002});
inline const HKEY HKEY_USERS = reinterpret_cast<HKEY>(uintptr_t{0x80000003});
inline const HKEY HKEY_CURRENT_CONFIG = reinterpret_cast<HKEY>(uintptr_t{0x80000005});

// Result codes.
inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_BAD_PATHNAME = 161;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_BADDB = 1009;
inline constexpr LONG ERROR_CANTOPEN = 1011;
inline constexpr LONG ERROR_REGISTRY_IO_FAILED = 1016;

// Access rights.
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Value types; any other number is kept as it is.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_QWORD = 11;

// Where the database lives (see above); empty when no home folder is known.
std::string RegistryDatabasePath();

// Resolves the database's path once, against the current folder, so that a
// relative $KEST_REGISTRY or $HOME names the same file for the whole run.
// Called at start-up.
void FixRegistryDatabasePath();
// The path follows the environment again on every call.
void UnfixRegistryDatabasePath();

// Opens an existing key below `key`; never creates one. A null or empty
// `subKey` opens a new handle to `key` itself. Key paths are key names joined
// with '\'.
LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result);

// Reads one value (null or empty name: the key's default value). With `data`,
// *dataSize is the buffer's size on entry; data that does not fit gives
// ERROR_MORE_DATA and the size needed. Without `data`, only the size is given.
LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* dataSize);

// Opens `subKey` below `key`, creating it and every missing key on its path.
// *disposition (when given) tells REG_CREATED_NEW_KEY from
// REG_OPENED_EXISTING_KEY. The class and the security attributes are ignored.
LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options,
                     REGSAM access, const void* securityAttributes, HKEY* result,
                     DWORD* disposition);

// Stores `dataSize` bytes with `type` under the value name, replacing any value
// of that name whatever its type.
LONG RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD dataSize);

// Closes a handle from RegOpenKeyExA or RegCreateKeyExA; a predefined key is
// left as it is.
LONG RegCloseKey(HKEY key);

} // namespace platform
