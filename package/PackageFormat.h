// The layout of a package appended to a file: header, file data, directory
// of entries in pre-order, trailer. All integers little-endian, all offsets
// absolute from the start of the whole file.
#pragma once

#include <cstdint>

namespace package {

// Result codes shared by writer and reader; 0 is success.
inline constexpr int PkgOk = 0;
inline constexpr int PkgErrCreate = -1;
inline constexpr int PkgErrNoMemory = -5;
inline constexpr int PkgErrEmptyFolder = -6;
inline constexpr int PkgErrSource = -7;
inline constexpr int PkgErrWrite = -8;
inline constexpr int PkgErrOpen = -9;
inline constexpr int PkgErrRead = -10;
inline constexpr int PkgErrFormat = -11;
// Packer-side refusal of an output that would reach 2 GiB, where the 32-bit
// offsets of the layout wrap.
inline constexpr int PkgErrTooLarge = -12;
// The reader's caller asked it to stop.
inline constexpr int PkgErrCancelled = -13;

inline constexpr int32_t EntryFile = 1;
inline constexpr int32_t EntryFolder = 2;
// The child count of a folder that holds nothing.
inline constexpr int32_t EmptyFolderCount = -6;

inline constexpr char PkgMagic[] = "Kest Pkg V1.0"; // 13 characters
inline constexpr char PkgTag[] = "Kest";            // 4 characters

// Size of the transfer buffer, and of every read of file data.
inline constexpr int32_t PkgTransferSize = 3145728;
// The writer stores at most this many name bytes (and a NUL).
inline constexpr int PkgMaxStoredName = 259;
// Offsets are signed 32-bit for the file-position functions.
inline constexpr int64_t PkgMaxFileSize = INT64_C(0x7FFFFFFF);

#pragma pack(push, 1)

struct PackageHeader {
    char magic[16];
};

struct PackageEntry {
    char name[1024];
    int32_t type;
    int32_t size;
    uint32_t offset;
};

struct PackageTrailer {
    uint32_t start;
    uint32_t directory;
    int32_t count;
    char tag[16];
};

#pragma pack(pop)


static_assert(sizeof(PackageHeader) == 16);
static_assert(sizeof(PackageEntry) == 1036);
static_assert(sizeof(PackageTrailer) == 28);
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "records are stored as they lie in memory");

} // namespace package
