#include "services/RegistryCommands.h"

#include "platform/Registry.h"

#include <cstring>
#include <optional>
#include <string_view>

namespace services {

namespace {

using platform::DWORD;
using platform::HKEY;

// Values longer than this (terminating zero included) cannot be read.
constexpr DWORD kValueBufferSize = 100;

// Closes the key on every path out of a command.
class OpenKey {
public:
    OpenKey() = default;
    ~OpenKey() {
        if (key != nullptr) {
            platform::RegCloseKey(key);
        }
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    HKEY* Out() { return &key; }
    HKEY Get() const { return key; }

private:
    HKEY key = nullptr;
};

// Exact, case-sensitive names only: no abbreviations, no other roots.
std::optional<HKEY> FindRoot(const char* name) {
    if (name == nullptr) {
        return std::nullopt;
    }
    const std::pair<const char*, HKEY> roots[] = {
        {"HKEY_CLASSES_ROOT", platform::HKEY_CLASSES_ROOT},
        {"HKEY_CURRENT_USER", platform::HKEY_CURRENT_USER},
        {"HKEY_LOCAL_MACHINE", platform::HKEY_LOCAL_MACHINE},
        {"HKEY_USERS", platform::HKEY_USERS},
        {"HKEY_CURRENT_CONFIG", platform::HKEY_CURRENT_CONFIG},
    };
    for (const auto& [rootName, key] : roots) {
        if (std::strcmp(name, rootName) == 0) {
            return key;
        }
    }
    return std::nullopt;
}

// The value's data as text: up to its first zero byte, never beyond the bytes
// read. Nothing when the value cannot be read into the value buffer.
std::optional<std::string_view> ReadValueText(HKEY key, const char* valueName,
                                              char (&buffer)[kValueBufferSize]) {
    DWORD type = 0;
    DWORD size = kValueBufferSize;
    if (platform::RegQueryValueExA(key, valueName, nullptr, &type,
                                   reinterpret_cast<platform::BYTE*>(buffer),
                                   &size) != platform::ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::string_view(buffer, strnlen(buffer, size));
}

} // namespace

const char* ReadRegistryValue(char* args, ReplyBuffer& reply) {
    char* fields[3];
    CutFields(args, fields, 3);
    const std::optional<HKEY> root = FindRoot(fields[0]);
    OpenKey key;
    if (!root || platform::RegOpenKeyExA(*root, fields[1], 0, platform::KEY_READ, key.Out()) !=
                     platform::ERROR_SUCCESS) {
        return SetReply(reply, kReplyRegReadFail);
    }
    char buffer[kValueBufferSize];
    const std::optional<std::string_view> text = ReadValueText(key.Get(), fields[2], buffer);
    if (!text) {
        return SetReply(reply, kReplyRegReadFail);
    }
    // At most 99 bytes of text, well inside the reply buffer.
    std::memcpy(reply, text->data(), text->size());
    reply[text->size()] = '\0';
    return reply;
}

const char* WriteRegistryValue(char* args, ReplyBuffer& reply) {
    char* fields[4];
    // Without a data text there is nothing to write; an oversized one is not kept.
    if (CutFields(args, fields, 4) < 4 || std::strlen(fields[3]) > kMaxValueBytes) {
        return SetReply(reply, kReplyRegWriteFail);
    }
    const std::optional<HKEY> root = FindRoot(fields[0]);
    OpenKey key;
    DWORD disposition = 0;
    if (!root ||
        platform::RegCreateKeyExA(*root, fields[1], 0, nullptr, platform::REG_OPTION_NON_VOLATILE,
                                  platform::KEY_ALL_ACCESS, nullptr, key.Out(),
                                  &disposition) != platform::ERROR_SUCCESS) {
        return SetReply(reply, kReplyRegWriteFail);
    }
    const std::string_view data = fields[3];
    if (disposition == platform::REG_OPENED_EXISTING_KEY) {
        // Bytes are compared, not types: a value that already reads as the
        // text is left as it is.
        char buffer[kValueBufferSize];
        if (ReadValueText(key.Get(), fields[2], buffer) == data) {
            return SetReply(reply, kReplyRegWriteSuccess);
        }
    }
    const bool stored =
        platform::RegSetValueExA(key.Get(), fields[2], 0, platform::REG_SZ,
                                 reinterpret_cast<const platform::BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size() + 1)) == platform::ERROR_SUCCESS;
    return SetReply(reply, stored ? kReplyRegWriteSuccess : kReplyRegWriteFail);
}

} // namespace services
