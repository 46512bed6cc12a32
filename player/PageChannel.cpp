#include "player/PageChannel.h"

#include "platform/Text.h"
#include "player/Links.h"

#include <webkit2/webkit2.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace player {

namespace {

constexpr const char* kMessageHandler = "kest";

// A script's string argument must be UTF-8; anything else is mended.
GVariant* Arguments(const char* name, const std::string& value) {
    gchar* valid = g_utf8_make_valid(value.data(), static_cast<gssize>(value.size()));
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&builder, "{sv}", name, g_variant_new_string(valid));
    g_free(valid);
    return g_variant_ref_sink(g_variant_builder_end(&builder));
}

std::string StringAt(JSCValue* array, unsigned index) {
    JSCValue* item = jsc_value_object_get_property_at_index(array, index);
    std::string text;
    if (jsc_value_is_string(item)) {
        gchar* chars = jsc_value_to_string(item);
        text = chars;
        g_free(chars);
    }
    g_object_unref(item);
    return text;
}

// Blocks in nested iterations of the main loop until `done` or the deadline.
template <typename Done> bool WaitUntil(Done done, std::chrono::milliseconds timeout) {
    bool timedOut = false;
    const guint timer = g_timeout_add(
        static_cast<guint>(std::max<std::chrono::milliseconds::rep>(timeout.count(), 0)),
        +[](gpointer flag) -> gboolean {
            *static_cast<bool*>(flag) = true;
            return G_SOURCE_REMOVE;
        },
        &timedOut);
    while (!done() && !timedOut) {
        g_main_context_iteration(nullptr, TRUE);
    }
    if (!timedOut) {
        g_source_remove(timer);
    }
    return done();
}

struct PendingCall {
    bool done = false;
    std::string answer;
};

// Calls the movie's callback through the page; the answer comes in later
// turns of the main loop.
std::shared_ptr<PendingCall> SendCall(WebKitWebView* view, GCancellable* cancellable, const std::string& request) {
    auto* pending = new std::shared_ptr<PendingCall>(std::make_shared<PendingCall>());
    const std::shared_ptr<PendingCall> call = *pending;
    GVariant* arguments = Arguments("request", request);
    webkit_web_view_call_async_javascript_function(
        view, "return await kest.call(request);", -1, arguments, nullptr, nullptr, cancellable,
        +[](GObject* source, GAsyncResult* result, gpointer data) {
            // Owns its share of the call: the caller may have stopped waiting.
            const std::unique_ptr<std::shared_ptr<PendingCall>> mine(static_cast<std::shared_ptr<PendingCall>*>(data));
            JSCValue* value =
                webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
            if (value && jsc_value_is_string(value)) {
                gchar* text = jsc_value_to_string(value);
                (*mine)->answer = text;
                g_free(text);
            }
            if (value) {
                g_object_unref(value);
            }
            (*mine)->done = true;
        },
        pending);
    g_variant_unref(arguments);
    return call;
}

} // namespace

PageChannel::PageChannel(WebKitWebView* pageView, Receive onMessage)
    : view(pageView), receive(std::move(onMessage)), cancellable(g_cancellable_new()) {
    WebKitUserContentManager* manager = webkit_web_view_get_user_content_manager(view);
    g_signal_connect(manager, (std::string("script-message-received::") + kMessageHandler).c_str(),
                     G_CALLBACK(Received), this);
    webkit_user_content_manager_register_script_message_handler(manager, kMessageHandler);
}

PageChannel::~PageChannel() {
    g_cancellable_cancel(cancellable);
    g_object_unref(cancellable);
    DropWaitingScripts();
    g_signal_handlers_disconnect_by_data(webkit_web_view_get_user_content_manager(view), this);
}

void PageChannel::Received(WebKitUserContentManager*, WebKitJavascriptResult* result, void* data) {
    auto* self = static_cast<PageChannel*>(data);
    // Only our page speaks to the host.
    const char* page = webkit_web_view_get_uri(self->view);
    JSCValue* message = webkit_javascript_result_get_js_value(result);
    if (page == nullptr || ClassifyNavigation(page) != Navigation::PlayerPage || !jsc_value_is_array(message)) {
        return;
    }
    if (auto read = ReadPageMessage(StringAt(message, 0), StringAt(message, 1), StringAt(message, 2))) {
        self->receive(std::move(*read));
    }
}

void PageChannel::PageReady() {
    pageReady = true;
    while (!waitingScripts.empty()) {
        const auto [body, arguments] = waitingScripts.front();
        waitingScripts.pop_front();
        RunNow(body, arguments);
        if (arguments) {
            g_variant_unref(arguments);
        }
    }
}

void PageChannel::PageLeft() {
    pageReady = false;
    ++pageGeneration;
    DropWaitingScripts();
}

void PageChannel::Run(const char* body) { RunNow(body, nullptr); }

void PageChannel::Run(const char* body, const char* name, const std::string& value) {
    GVariant* arguments = Arguments(name, value);
    RunNow(body, arguments);
    g_variant_unref(arguments);
}

void PageChannel::RunNow(const char* body, GVariant* arguments) {
    if (!pageReady) {
        waitingScripts.emplace_back(body, arguments ? g_variant_ref(arguments) : nullptr);
        return;
    }
    webkit_web_view_call_async_javascript_function(view, body, -1, arguments, nullptr, nullptr, cancellable,
                                                   nullptr, nullptr);
}

void PageChannel::DropWaitingScripts() {
    for (auto& [body, arguments] : waitingScripts) {
        if (arguments) {
            g_variant_unref(arguments);
        }
    }
    waitingScripts.clear();
}

std::string PageChannel::Call(const std::string& request, const std::function<std::chrono::milliseconds()>& bound) {
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + bound();
    const auto left = [&] { return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()); };
    for (;;) {
        if (!pageReady && !WaitUntil([this] { return pageReady; }, left())) {
            return {};
        }
        const unsigned generation = pageGeneration;
        const std::shared_ptr<PendingCall> call = SendCall(view, cancellable, request);
        if (!WaitUntil([&] { return call->done || pageGeneration != generation; }, left())) {
            std::fprintf(stderr, "kest: the movie did not answer in time: %s\n",
                         platform::PrintableText(request, platform::kLoggedTextBytes).c_str());
            return {};
        }
        if (pageGeneration == generation) {
            return call->answer;
        }
        // A movie whose start stalled was started again: the call, which its
        // first page never answered, goes to the new one.
        deadline = Clock::now() + bound();
    }
}

} // namespace player
