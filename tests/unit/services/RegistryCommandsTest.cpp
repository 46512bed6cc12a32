#include "services/RegistryCommands.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Text.h"
#include "unit/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sqlite3.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

namespace {

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* variable, const char* value) : name(variable) {
        if (const char* old = std::getenv(variable)) {
            previous = old;
        }
        value != nullptr ? setenv(variable, value, 1) : unsetenv(variable);
    }
    ~ScopedEnvironment() { previous ? setenv(name, previous->c_str(), 1) : unsetenv(name); }

private:
    const char* name;
    std::optional<std::string> previous;
};

std::string Read(std::string args) {
    services::ReplyBuffer reply;
    return services::ReadRegistryValue(args.data(), reply);
}

std::string Write(std::string args) {
    services::ReplyBuffer reply;
    return services::WriteRegistryValue(args.data(), reply);
}

struct Value {
    DWORD type = 0;
    std::string bytes;
};

// The stored value, or nothing when it cannot be read.
std::optional<Value> Query(const char* path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    Value value;
    value.bytes.resize(4096);
    DWORD size = 4096;
    const LONG result = RegQueryValueExA(key, name, nullptr, &value.type,
                                         reinterpret_cast<BYTE*>(value.bytes.data()), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.bytes.resize(size);
    return value;
}

void Store(const char* path, const char* name, DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

std::string Dword(uint32_t number) {
    return std::string(reinterpret_cast<const char*>(&number), sizeof number);
}

bool KeyExists(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

class RegistryCommandsTest : public ::testing::Test {
protected:
    ScratchFolder scratch;
    const std::string database = scratch / "registry.sqlite";
    ScopedEnvironment registry{"KEST_REGISTRY", database.c_str()};
};

TEST_F(RegistryCommandsTest, ReadsBackWhatWasWrittenWithNamesInAnyCase) {
    EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Page|12"), "regwritesuccess");
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo|Page"), "12");
    EXPECT_EQ(Read("HKEY_CURRENT_USER|SOFTWARE\\demo|pAGE"), "12");
    EXPECT_EQ(Write("HKEY_CURRENT_USER|software\\DEMO|PAGE|13"), "regwritesuccess");
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo|Page"), "13");
}

TEST_F(RegistryCommandsTest, ReadingMissingKeysOrValuesFailsAndCreatesNothing) {
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo|Page"), "regreadfail");
    EXPECT_FALSE(PathExists(database.c_str()));
    EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Other|1"), "regwritesuccess");
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo|Page"), "regreadfail");
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo\\Missing|Page"), "regreadfail");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Demo\\Missing"));
}

TEST_F(RegistryCommandsTest, RootNamesMatchExactlyAndEachRootIsItsOwn) {
    for (const char* root : {"hkey_current_user", "HKCU", "HKEY_PERFORMANCE_DATA", ""}) {
        SCOPED_TRACE(root);
        EXPECT_EQ(Write(std::string(root) + "|Software\\Demo|Page|1"), "regwritefail");
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Demo"));
    }
    Store("Software\\Demo", "Page", REG_SZ, std::string("1", 2));
    EXPECT_EQ(Read("HKCU|Software\\Demo|Page"), "regreadfail");
    EXPECT_EQ(Read("hkey_current_user|Software\\Demo|Page"), "regreadfail");

    const char* roots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                           "HKEY_USERS", "HKEY_CURRENT_CONFIG"};
    for (const char* root : roots) {
        EXPECT_EQ(Write(std::string(root) + "|Software\\Roots|Name|" + root), "regwritesuccess");
    }
    for (const char* root : roots) {
        EXPECT_EQ(Read(std::string(root) + "|Software\\Roots|Name"), root);
    }
}

TEST_F(RegistryCommandsTest, ValuesOf99CharactersAreReadButNot100) {
    const std::string longest(99, 'x');
    EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Long|" + longest), "regwritesuccess");
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo|Long"), longest);
    EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Long|" + longest + "y"), "regwritesuccess");
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo|Long"), "regreadfail");
    // Unreadable data is always replaced, even by the same text.
    EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Long|" + longest + "y"), "regwritesuccess");
}

TEST_F(RegistryCommandsTest, OtherTypesReadAsTheirBytesUpToTheFirstZero) {
    Store("Software\\Demo", "A", REG_DWORD, Dword(65));
    Store("Software\\Demo", "Zero", REG_DWORD, Dword(0));
    Store("Software\\Demo", "Empty", REG_SZ, std::string(1, '\0'));
    Store("Software\\Demo", "Binary", REG_BINARY, std::string("ab\0cd", 5));
    // 100 bytes without a zero fill the buffer; the reply stops at its end.
    Store("Software\\Demo", "Full", REG_BINARY, std::string(100, 'z'));
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo|A"), "A");
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo|Zero"), "");
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo|Empty"), "");
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo|Binary"), "ab");
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo|Full"), std::string(100, 'z'));
}

TEST_F(RegistryCommandsTest, TwoFieldsReadTheDefaultValue) {
    Store("Software\\Demo", nullptr, REG_SZ, std::string("default", 8));
    Store("Software\\Demo", "Page", REG_SZ, std::string("12", 3));
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo"), "default");
    EXPECT_EQ(Read("|HKEY_CURRENT_USER||Software\\Demo|"), "default");
}

TEST_F(RegistryCommandsTest, WritingCreatesEveryMissingKeyOnThePath) {
    Store("Software\\Demo", "Page", REG_SZ, std::string("1", 2));
    EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo\\New\\Deeper|Page|7"), "regwritesuccess");
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Demo\\New"));
    const std::optional<Value> stored = Query("Software\\Demo\\New\\Deeper", "Page");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, REG_SZ);
    EXPECT_EQ(stored->bytes, std::string("7", 2));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Demo\\New"));
}

TEST_F(RegistryCommandsTest, WritingComparesBytesNotTypes) {
    // 55 is stored as 0x37 0 0 0, which reads as "7".
    Store("Software\\Demo", "Seven", REG_DWORD, Dword(55));
    Store("Software\\Demo", "Eight", REG_DWORD, Dword(8));
    EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Seven|7"), "regwritesuccess");
    EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Eight|7"), "regwritesuccess");
    EXPECT_EQ(Query("Software\\Demo", "Seven")->type, REG_DWORD);
    EXPECT_EQ(Query("Software\\Demo", "Seven")->bytes, Dword(55));
    EXPECT_EQ(Query("Software\\Demo", "Eight")->type, REG_SZ);
    EXPECT_EQ(Query("Software\\Demo", "Eight")->bytes, std::string("7", 2));
}

TEST_F(RegistryCommandsTest, WritingTheSameTextAgainWritesNothing) {
    EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Page|12"), "regwritesuccess");
    // Another process holds the write lock: only a command that writes would wait.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(database.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Page|12"), "regwritesuccess");
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo|Page"), "12");
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
}

TEST_F(RegistryCommandsTest, FieldsAreCutAtRunsOfBarsAndExtraFieldsIgnored) {
    EXPECT_EQ(Write("HKEY_CURRENT_USER||Software\\Demo|Page|7"), "regwritesuccess");
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo|Page"), "7");
    EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Page|a|b"), "regwritesuccess");
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo|Page|ignored"), "a");
}

TEST_F(RegistryCommandsTest, WritesWithoutDataTextFailAndWriteNothing) {
    for (const char* args :
         {"HKEY_CURRENT_USER|Software\\Demo|Page", "HKEY_CURRENT_USER|Software\\Demo|Page||",
          "HKEY_CURRENT_USER", "|||", ""}) {
        SCOPED_TRACE(args);
        EXPECT_EQ(Write(args), "regwritefail");
        EXPECT_EQ(Read(args), "regreadfail");
    }
    EXPECT_FALSE(PathExists(database.c_str()));
}

TEST_F(RegistryCommandsTest, DamagedOrForeignDatabasesFailAndStayUntouched) {
    const std::string garbage(4096, 'g');
    WriteWholeFile(database, garbage);
    EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Page|7"), "regwritefail");
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo|Page"), "regreadfail");
    EXPECT_EQ(ReadWholeFile(database), garbage);

    const std::string foreign = scratch / "foreign.sqlite";
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(foreign.c_str(), &other), SQLITE_OK);
    sqlite3_exec(other, "CREATE TABLE notes(text)", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    const std::string before = ReadWholeFile(foreign);
    ScopedEnvironment foreignRegistry("KEST_REGISTRY", foreign.c_str());
    EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Page|7"), "regwritefail");
    EXPECT_EQ(ReadWholeFile(foreign), before);

    const std::string unreachable = scratch / "missing/registry.sqlite";
    ScopedEnvironment missingFolder("KEST_REGISTRY", unreachable.c_str());
    EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Page|7"), "regwritefail");
}

TEST_F(RegistryCommandsTest, LivesInTheUsersConfigFolderAcrossRuns) {
    ScopedEnvironment noOverride("KEST_REGISTRY", nullptr);
    {
        ScopedEnvironment config("XDG_CONFIG_HOME", (scratch / "config").c_str());
        EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Page|12"), "regwritesuccess");
        EXPECT_TRUE(PathExists((scratch / "config/kest/registry.sqlite").c_str()));
    }
    ScopedEnvironment home("HOME", scratch.Path().c_str());
    ScopedEnvironment noConfig("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(RegistryDatabasePath(), scratch / ".config/kest/registry.sqlite");
    EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Page|13"), "regwritesuccess");
    // A run of another process finds both values again.
    const pid_t child = fork();
    if (child == 0) {
        ScopedEnvironment config("XDG_CONFIG_HOME", (scratch / "config").c_str());
        const bool first = Read("HKEY_CURRENT_USER|Software\\Demo|Page") == "12";
        unsetenv("XDG_CONFIG_HOME");
        const bool second = Read("HKEY_CURRENT_USER|Software\\Demo|Page") == "13";
        _exit(first && second ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(RegistryCommandsTest, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kWriters = 2;
    constexpr int kValuesEach = 40;
    pid_t children[kWriters];
    for (int writer = 0; writer < kWriters; ++writer) {
        children[writer] = fork();
        if (children[writer] == 0) {
            bool ok = true;
            for (int i = 0; i < kValuesEach; ++i) {
                // Both writers create the same keys as they go.
                ok = Write("HKEY_CURRENT_USER|Software\\Race\\K" + std::to_string(i % 4) + "|W" +
                           std::to_string(writer) + "V" + std::to_string(i) + "|" +
                           std::to_string(writer * 1000 + i)) == "regwritesuccess" &&
                     ok;
            }
            _exit(ok ? 0 : 1);
        }
    }
    for (const pid_t child : children) {
        int status = -1;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int writer = 0; writer < kWriters; ++writer) {
        for (int i = 0; i < kValuesEach; ++i) {
            EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Race\\K" + std::to_string(i % 4) + "|W" +
                           std::to_string(writer) + "V" + std::to_string(i)),
                      std::to_string(writer * 1000 + i));
        }
    }
}

// Runs `check` in a child process of an ordinary user (root may write
// anything); true when it held.
bool AsOrdinaryUser(bool (*check)()) {
    const pid_t child = fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        _exit((geteuid() != 0 || (setgid(kNobody) == 0 && setuid(kNobody) == 0)) && check() ? 0 : 1);
    }
    int status = -1;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string FolderListing(const std::string& folder) {
    std::string names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names += entry.path().filename().string() + " ";
    }
    return names;
}

TEST_F(RegistryCommandsTest, ARelativePathIsResolvedBeforeTheViewerChangesDirectory) {
    const std::string started = CurrentDirectory();
    ASSERT_EQ(MakeFolder((scratch / "start").c_str()), 0);
    ASSERT_EQ(MakeFolder((scratch / "workspace").c_str()), 0);
    ASSERT_EQ(ChangeDirectory((scratch / "start").c_str()), 0);
    {
        ScopedEnvironment relative("KEST_REGISTRY", "registry.sqlite");
        FixRegistryDatabasePath();
        ASSERT_EQ(ChangeDirectory((scratch / "workspace").c_str()), 0);
        EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Page|7"), "regwritesuccess");
        EXPECT_TRUE(PathExists((scratch / "start/registry.sqlite").c_str()));
    }
    ASSERT_EQ(ChangeDirectory((scratch / "start").c_str()), 0);
    ASSERT_EQ(MakeFolder((scratch / "start/home").c_str()), 0);
    {
        ScopedEnvironment noOverride("KEST_REGISTRY", nullptr);
        ScopedEnvironment noConfig("XDG_CONFIG_HOME", nullptr);
        ScopedEnvironment home("HOME", "home");
        FixRegistryDatabasePath();
        ASSERT_EQ(ChangeDirectory((scratch / "workspace").c_str()), 0);
        EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Page|8"), "regwritesuccess");
        EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo|Page"), "8");
        EXPECT_TRUE(PathExists((scratch / "start/home/.config/kest/registry.sqlite").c_str()));
    }
    EXPECT_EQ(FolderListing(scratch / "workspace"), "");
    UnfixRegistryDatabasePath();
    ASSERT_EQ(ChangeDirectory(started.c_str()), 0);
}

TEST_F(RegistryCommandsTest, ARegistryTheUserMayOnlyReadIsReadAndNeverWritten) {
    EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Page|12"), "regwritesuccess");
    const std::string folder = scratch / "shared";
    ASSERT_EQ(MakeFolder(folder.c_str()), 0);
    const std::string shared = folder + "/registry.sqlite";
    ASSERT_EQ(std::rename(database.c_str(), shared.c_str()), 0);
    ASSERT_EQ(chmod(shared.c_str(), 0444), 0);
    ASSERT_EQ(chmod(scratch.Path().c_str(), 0755), 0);
    const std::string before = ReadWholeFile(shared);
    ScopedEnvironment readOnly("KEST_REGISTRY", shared.c_str());
    // In a folder the user may write, and in one the user may not.
    for (const mode_t folderMode : {0777, 0555}) {
        ASSERT_EQ(chmod(folder.c_str(), folderMode), 0);
        EXPECT_TRUE(AsOrdinaryUser([] {
            return Read("HKEY_CURRENT_USER|Software\\Demo|Page") == "12" &&
                   Write("HKEY_CURRENT_USER|Software\\Demo|Page|13") == "regwritefail" &&
                   Write("HKEY_CURRENT_USER|Software\\Other|Page|1") == "regwritefail";
        })) << folderMode;
        EXPECT_EQ(FolderListing(folder), "registry.sqlite ");
        EXPECT_EQ(ReadWholeFile(shared), before);
    }
}

TEST_F(RegistryCommandsTest, AnEmptyFileOrALinkToOneIsNeverMadeARegistry) {
    WriteWholeFile(database, "");
    const std::string link = scratch / "link.sqlite";
    ASSERT_EQ(symlink(database.c_str(), link.c_str()), 0);
    const std::string dangling = scratch / "dangling.sqlite";
    ASSERT_EQ(symlink((scratch / "nothing.sqlite").c_str(), dangling.c_str()), 0);
    for (const std::string& path : {database, link, dangling}) {
        SCOPED_TRACE(path);
        ScopedEnvironment named("KEST_REGISTRY", path.c_str());
        EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Page|7"), "regwritefail");
        EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo|Page"), "regreadfail");
    }
    EXPECT_EQ(ReadWholeFile(database), "");
    EXPECT_FALSE(PathExists((scratch / "nothing.sqlite").c_str()));
    EXPECT_EQ(FolderListing(scratch.Path()).size(),
              std::string("registry.sqlite link.sqlite dangling.sqlite ").size());
}

// "中文" in code page 936 and in UTF-8.
const std::string kGbk = "\xD6\xD0\xCE\xC4";
const std::string kUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";

class RegistryAcrossLocales : public RegistryCommandsTest {
protected:
    ~RegistryAcrossLocales() override { SetHostEncoding("UTF-8"); }

    // Every value's name and bytes as the file holds them.
    std::string StoredBytes() const {
        sqlite3* db = nullptr;
        std::string rows;
        sqlite3_open(database.c_str(), &db);
        sqlite3_exec(db, "SELECT name || '=' || CAST(data AS TEXT) FROM vals",
                     [](void* out, int, char** row, char**) {
                         *static_cast<std::string*>(out) += row[0];
                         return 0;
                     },
                     &rows, nullptr);
        sqlite3_close(db);
        return rows;
    }
};

TEST_F(RegistryAcrossLocales, TextWrittenUnderOneLocaleReadsUnderAnother) {
    // Key "软件" and value "标题", in code page 936 and in UTF-8.
    const std::string gbkNames = "HKEY_CURRENT_USER|\xC8\xED\xBC\xFE|\xB1\xEA\xCC\xE2|";
    const std::string utf8Names =
        "HKEY_CURRENT_USER|\xE8\xBD\xAF\xE4\xBB\xB6|\xE6\xA0\x87\xE9\xA2\x98|";
    SetHostEncoding("GBK");
    EXPECT_EQ(Write(gbkNames + kGbk), "regwritesuccess");
    SetHostEncoding("UTF-8");
    EXPECT_EQ(Read(utf8Names), kUtf8);
    // The same text again is no change; a new text replaces the value that
    // has that name in either encoding.
    EXPECT_EQ(Write(utf8Names + kUtf8), "regwritesuccess");
    EXPECT_EQ(StoredBytes(), "\xB1\xEA\xCC\xE2=" + kGbk);
    EXPECT_EQ(Write(utf8Names + "7"), "regwritesuccess");
    EXPECT_EQ(StoredBytes(), "\xB1\xEA\xCC\xE2=7");
    EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Title|" + kUtf8), "regwritesuccess");
    EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\Demo|Other|" + kUtf8 + "\xF0\x9F\x98\x80"),
              "regwritesuccess");
    SetHostEncoding("GBK");
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo|Title"), kGbk);
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo|Other"), kGbk + "?");
    // A '\\' that ends a character ("乗") separates no keys.
    EXPECT_EQ(Write("HKEY_CURRENT_USER|Software\\\x81\\|Page|1"), "regwritesuccess");
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\\x81\\"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\\x81"));
    // Numbers and raw bytes are never converted.
    Store("Software\\Demo", "Number", REG_DWORD, Dword(0xD6));
    SetHostEncoding("UTF-8");
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Software\\Demo|Number"), "\xD6");
}

TEST_F(RegistryAcrossLocales, ValuesOfEarlierRegistriesAreCodePage936AndKeepTheirBytes) {
    // A registry as earlier versions made it: no code sets.
    sqlite3* old = nullptr;
    ASSERT_EQ(sqlite3_open(database.c_str(), &old), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(old,
                           "CREATE TABLE keys(id INTEGER PRIMARY KEY, parent INTEGER NOT NULL,"
                           " name TEXT NOT NULL COLLATE NOCASE, UNIQUE(parent, name));"
                           "CREATE TABLE vals(key INTEGER NOT NULL, name TEXT NOT NULL COLLATE NOCASE,"
                           " type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(key, name))"
                           " WITHOUT ROWID;"
                           "INSERT INTO keys VALUES(2, 0, 'HKEY_CURRENT_USER'), (7, 2, 'Demo');"
                           "INSERT INTO vals VALUES(7, 'Title', 1, X'D6D0CEC400'),"
                           " (7, 'Broken', 1, X'D6D0812000');"
                           "PRAGMA application_id = 1264939892;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Demo|Title"), kUtf8);
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Demo|Broken"), "\xE4\xB8\xAD\xEF\xBF\xBD ");
    EXPECT_EQ(Write("HKEY_CURRENT_USER|Demo|Page|" + kUtf8), "regwritesuccess");
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Demo|Page"), kUtf8);
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Demo|Title"), kUtf8);
    // An earlier version updating a value writes code page 936 again.
    ASSERT_EQ(sqlite3_exec(old,
                           "INSERT INTO vals(key, name, type, data) VALUES(7, 'Page', 1, X'CEC400')"
                           " ON CONFLICT(key, name) DO UPDATE SET type = excluded.type,"
                           " data = excluded.data",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(old);
    EXPECT_EQ(Read("HKEY_CURRENT_USER|Demo|Page"), "\xE6\x96\x87");
    EXPECT_EQ(Query("Demo", "Title")->bytes, kUtf8 + '\0');
}

} // namespace
