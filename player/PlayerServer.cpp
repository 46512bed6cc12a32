#include "player/PlayerServer.h"

#include "platform/FileRange.h"
#include "platform/StartupLog.h"
#include "platform/Text.h"
#include "player/CodePageText.h"
#include "player/FileRangeStream.h"
#include "player/GenericFontNames.h"

#include <webkit2/webkit2.h>

#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <vector>

namespace player {

namespace {

void Answer404(WebKitURISchemeRequest* request) {
    GInputStream* empty = g_memory_input_stream_new();
    WebKitURISchemeResponse* response = webkit_uri_scheme_response_new(empty, 0);
    webkit_uri_scheme_response_set_status(response, 404, "Not Found");
    webkit_uri_scheme_response_set_content_type(response, "text/plain");
    webkit_uri_scheme_request_finish_with_response(request, response);
    g_object_unref(response);
    g_object_unref(empty);
}

// The page runs our scripts and Ruffle's WebAssembly, and reaches nothing
// but our own files: no script a movie hands the page (eval, a function
// text, a "javascript:" link) runs, and nothing is sent to another server.
// Ruffle ticks a movie in a hidden page from a worker it makes of a blob.
constexpr const char* kPagePolicy = "default-src kest://player blob: data:; "
                                    "script-src kest://player 'wasm-unsafe-eval'; "
                                    "worker-src blob:; "
                                    "style-src kest://player 'unsafe-inline'";

void Answer(WebKitURISchemeRequest* request, GInputStream* stream, gint64 size, const char* mimeType) {
    WebKitURISchemeResponse* response = webkit_uri_scheme_response_new(stream, size);
    webkit_uri_scheme_response_set_content_type(response, mimeType);
    // The type must also be a header: streaming compilation checks it there.
    SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
    soup_message_headers_replace(headers, "Content-Type", mimeType);
    if (g_str_equal(webkit_uri_scheme_request_get_path(request), "/page.html")) {
        soup_message_headers_replace(headers, "Content-Security-Policy", kPagePolicy);
    }
    webkit_uri_scheme_response_set_http_headers(response, headers);
    webkit_uri_scheme_request_finish_with_response(request, response);
    g_object_unref(response);
    platform::LogStartup(std::string("served ") + webkit_uri_scheme_request_get_path(request));
}

// The web view reads a response in small pieces, one turn of the main loop
// each: a memory stream answers every piece at once, where a file stream
// answers each from a worker thread.
void Answer(WebKitURISchemeRequest* request, GBytes* body, const char* mimeType) {
    GInputStream* stream = g_memory_input_stream_new_from_bytes(body);
    Answer(request, stream, static_cast<gint64>(g_bytes_get_size(body)), mimeType);
    g_object_unref(stream);
}

// Larger files are streamed: each request would hold a whole copy, and a
// movie may ask for the same large file many times at once.
constexpr std::uintmax_t kMaxFileInMemory = 4 << 20;

// What a movie of the original platform expects of a content file that the
// player would read otherwise: its generic device fonts drawn in the system's
// fonts, its code page 936 text as the Chinese it is.
std::optional<std::string> Adapted(const std::string& name, std::string_view contents) {
    if (IsTextFileName(name)) {
        return Cp936TextAsUtf8(contents);
    }
    return RespellGenericFontNames(contents);
}

GBytes* TakeString(std::string text) {
    auto* owned = new std::string(std::move(text));
    return g_bytes_new_with_free_func(owned->data(), owned->size(),
                                      +[](gpointer data) { delete static_cast<std::string*>(data); }, owned);
}

// The engine reads a response as fast as it can and keeps what the web
// process has not taken yet in the viewer's memory, so files read many times
// at once would be held many times over. Their responses take turns instead:
// while this much is on its way, further files wait (one goes at any size).
constexpr std::uintmax_t kMaxBytesOnTheirWay = 64 << 20;

} // namespace

// The responses of one server that the web process has not taken yet, and
// the files waiting for their turn. Only the user-interface thread touches
// this.
struct FilesOnTheirWay {
    struct Waiting {
        WebKitURISchemeRequest* request;
        ServedFile file;
    };
    std::uintmax_t bytes = 0;
    std::deque<Waiting> waiting;

    bool Fits(std::uintmax_t size) const { return bytes == 0 || bytes + size <= kMaxBytesOnTheirWay; }
};

// Built-in files being unpacked on a worker thread, and the requests waiting
// for them. Only the user-interface thread touches this. A file is kept only
// until it was delivered: the web engine holds its own copy, and a reloaded
// page, which asks again, gets it unpacked anew.
struct UnpackedFiles {
    struct File {
        GBytes* bytes = nullptr;
        bool ready = false;
        std::vector<std::pair<WebKitURISchemeRequest*, const char*>> waiting;
    };
    std::map<std::string, File> files;
};

namespace {

// A stream on its way, or a worker's result, may come back after its server
// is gone: each holds what it comes back to.
using Budget = std::shared_ptr<FilesOnTheirWay>;
using Cache = std::shared_ptr<UnpackedFiles>;

// The file's bytes, adapted if it is a content file, and their size.
GInputStream* OpenFile(const ServedFile& file, std::uintmax_t& size) {
    size = file.size;
    if (size > kMaxFileInMemory) {
        return OpenFileRange(file.path, file.offset, file.size);
    }
    std::string contents;
    if (!platform::ReadFileRange({file.path, file.offset, file.size}, contents, kMaxFileInMemory)) {
        return nullptr;
    }
    if (!file.playerFile) {
        if (auto adapted = Adapted(file.name, contents)) {
            contents = std::move(*adapted);
        }
    }
    size = contents.size();
    GBytes* body = TakeString(std::move(contents));
    GInputStream* stream = g_memory_input_stream_new_from_bytes(body);
    g_bytes_unref(body);
    return stream;
}

void Send(const Budget& budget, const FilesOnTheirWay::Waiting& file);

struct OnItsWay {
    Budget budget;
    std::uintmax_t size;
};

// A response's bytes are on their way until the engine lets go of its stream,
// which it does once the web process has the whole file.
void Arrived(gpointer data, GObject*) {
    const std::unique_ptr<OnItsWay> arrived(static_cast<OnItsWay*>(data));
    FilesOnTheirWay& files = *arrived->budget;
    files.bytes -= arrived->size;
    while (!files.waiting.empty() && files.Fits(files.waiting.front().file.size)) {
        const FilesOnTheirWay::Waiting next = std::move(files.waiting.front());
        files.waiting.pop_front();
        Send(arrived->budget, next);
        g_object_unref(next.request);
    }
}

void Send(const Budget& budget, const FilesOnTheirWay::Waiting& waiting) {
    std::uintmax_t size = 0;
    GInputStream* stream = OpenFile(waiting.file, size);
    if (!stream) {
        Answer404(waiting.request);
        return;
    }
    budget->bytes += size;
    g_object_weak_ref(G_OBJECT(stream), Arrived, new OnItsWay{budget, size});
    Answer(waiting.request, stream, static_cast<gint64>(size), waiting.file.mimeType);
    g_object_unref(stream);
}

void AnswerFromFile(const Budget& budget, WebKitURISchemeRequest* request, const ServedFile& served) {
    FilesOnTheirWay::Waiting file{request, served};
    if (!budget->waiting.empty() || !budget->Fits(served.size)) {
        file.request = WEBKIT_URI_SCHEME_REQUEST(g_object_ref(request));
        budget->waiting.push_back(std::move(file));
    } else {
        Send(budget, file);
    }
}

// Lets go of a file that was delivered.
void Forget(UnpackedFiles& unpacked, std::map<std::string, UnpackedFiles::File>::iterator file) {
    if (file->second.bytes) {
        g_bytes_unref(file->second.bytes);
    }
    unpacked.files.erase(file);
}

void Unpack(const Cache& cache, const std::string& resource) {
    if (!cache->files.try_emplace(resource).second) {
        return;
    }
    GTask* task = g_task_new(nullptr, nullptr, +[](GObject*, GAsyncResult* result, gpointer data) {
        const std::unique_ptr<Cache> unpacked(static_cast<Cache*>(data));
        const auto entry = (*unpacked)->files.find(static_cast<const char*>(g_task_get_task_data(G_TASK(result))));
        UnpackedFiles::File& file = entry->second;
        file.bytes = static_cast<GBytes*>(g_task_propagate_pointer(G_TASK(result), nullptr));
        file.ready = true;
        for (const auto& [request, mimeType] : file.waiting) {
            if (file.bytes) {
                Answer(request, file.bytes, mimeType);
            } else {
                Answer404(request);
            }
            g_object_unref(request);
        }
        if (!file.waiting.empty()) {
            Forget(**unpacked, entry);
        }
    }, new Cache(cache));
    g_task_set_task_data(task, g_strdup(resource.c_str()), g_free);
    g_task_run_in_thread(task, +[](GTask* self, gpointer, gpointer path, GCancellable*) {
        g_task_return_pointer(self,
                              g_resources_lookup_data(static_cast<const char*>(path),
                                                      G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr),
                              reinterpret_cast<GDestroyNotify>(g_bytes_unref));
    });
    g_object_unref(task);
}

} // namespace

PlayerServer::PlayerServer(std::string playerFolder, std::optional<package::ContentFiles> content)
    : routes(std::move(playerFolder), std::move(content)), onTheirWay(std::make_shared<FilesOnTheirWay>()),
      unpacked(std::make_shared<UnpackedFiles>()) {
    if (routes.PlayerFolder().empty()) {
        for (const auto& resource : EmbeddedWebAssembly()) {
            Unpack(unpacked, resource);
        }
    }
}

void PlayerServer::Serve(WebKitURISchemeRequest* request) {
    const std::string prefix = std::string(kPlayerOrigin) + "/";
    const char* path = webkit_uri_scheme_request_get_path(request);
    std::optional<ServedFile> file;
    if (g_str_has_prefix(webkit_uri_scheme_request_get_uri(request), prefix.c_str())) {
        file = routes.Resolve(path);
    }
    if (!file) {
        if (!g_str_has_prefix(path, "/content/")) {
            std::fprintf(stderr, "kest: the movie player has no file %s\n",
                         platform::PrintableText(path, platform::kLoggedTextBytes).c_str());
        }
        Answer404(request);
        return;
    }
    if (!file->embedded) {
        // The page asks whether a movie is there before Ruffle loads it.
        if (g_strcmp0(webkit_uri_scheme_request_get_http_method(request), "HEAD") == 0) {
            GInputStream* empty = g_memory_input_stream_new();
            Answer(request, empty, 0, file->mimeType);
            g_object_unref(empty);
            return;
        }
        AnswerFromFile(onTheirWay, request, *file);
        return;
    }
    if (auto found = unpacked->files.find(file->path); found != unpacked->files.end()) {
        if (!found->second.ready) {
            found->second.waiting.emplace_back(WEBKIT_URI_SCHEME_REQUEST(g_object_ref(request)), file->mimeType);
        } else if (found->second.bytes) {
            Answer(request, found->second.bytes, file->mimeType);
            Forget(*unpacked, found);
        } else {
            Answer404(request);
        }
        return;
    }
    GBytes* body = g_resources_lookup_data(file->path.c_str(), G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr);
    if (!body) {
        Answer404(request);
        return;
    }
    Answer(request, body, file->mimeType);
    g_bytes_unref(body);
}

} // namespace player
