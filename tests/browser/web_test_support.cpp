#include "browser/web_test_support.hpp"

#include <cmath>
#include <cstdint>
#include <memory>

#include "browser/engine/script_evaluation.hpp"
#include "browser/engine/tab_sleep_guard.hpp"
#include "support/main_loop.hpp"

namespace quenlith::test {

std::vector<GtkWidget*> visibleToplevels(GType type) {
    std::vector<GtkWidget*> found;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* item = toplevels; item; item = item->next)
        if (G_TYPE_CHECK_INSTANCE_TYPE(item->data, type) && gtk_widget_get_visible(GTK_WIDGET(item->data)))
            found.push_back(GTK_WIDGET(item->data));
    g_list_free(toplevels);
    return found;
}

void clickAsUser(GtkWidget* button) {
    GdkWindow* target = gtk_button_get_event_window(GTK_BUTTON(button));
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(gtk_widget_get_display(button)));
    for (GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
        GdkEvent* event = gdk_event_new(type);
        event->button.window = GDK_WINDOW(g_object_ref(target));
        event->button.time = GDK_CURRENT_TIME;
        event->button.x = gdk_window_get_width(target) / 2.0;
        event->button.y = gdk_window_get_height(target) / 2.0;
        event->button.button = 1;
        event->button.state = type == GDK_BUTTON_RELEASE ? GDK_BUTTON1_MASK : 0;
        gdk_event_set_device(event, pointer);
        gtk_main_do_event(event);
        gdk_event_free(event);
    }
}

LoadResult loadAndWait(WebKitWebView* view, const std::string& uri, std::chrono::milliseconds timeout) {
    LoadResult result;
    auto changed = +[](WebKitWebView*, WebKitLoadEvent event, LoadResult* out) {
        out->finished |= event == WEBKIT_LOAD_FINISHED;
    };
    auto failed = +[](WebKitWebView*, WebKitLoadEvent, gchar*, GError* error, LoadResult* out) -> gboolean {
        out->failed = true;
        out->error = error ? error->message : "";
        return TRUE;  // no error page of the engine's own
    };
    const gulong handlers[] = {g_signal_connect(view, "load-changed", G_CALLBACK(changed), &result),
                               g_signal_connect(view, "load-failed", G_CALLBACK(failed), &result)};
    webkit_web_view_load_uri(view, uri.c_str());
    spinUntil([&] { return result.finished; }, timeout);
    for (gulong handler : handlers) g_signal_handler_disconnect(view, handler);
    return result;
}

std::optional<std::string> evaluate(WebKitWebView* view, const std::string& script, const char* world) {
    auto answer = std::make_shared<std::optional<std::optional<std::string>>>();
    evaluateScript(view, script, world, [answer](WebKitWebView*, JSCValue* value) {
        g_autofree char* json = value ? jsc_value_to_json(value, 0) : nullptr;
        *answer = value ? std::optional<std::string>(json ? json : "undefined") : std::nullopt;
    });
    spinUntil([&] { return answer->has_value(); });
    return answer->value_or(std::nullopt);
}

std::optional<bool> guardProtects(WebKitWebView* view) {
    auto answer = std::make_shared<std::optional<bool>>();
    isProtected(view, [answer](bool keepAwake) { *answer = keepAwake; });
    spinUntil([&] { return answer->has_value(); });
    return *answer;
}

void WidgetTreeWatch::watch(GtkWidget* widget) {
    ++watched_;
    g_object_weak_ref(
        G_OBJECT(widget),
        [](gpointer count, GObject*) {
            std::unique_ptr<std::shared_ptr<int>> held(static_cast<std::shared_ptr<int>*>(count));
            ++**held;
        },
        new std::shared_ptr<int>(ended_));
    if (GTK_IS_CONTAINER(widget))
        gtk_container_forall(
            GTK_CONTAINER(widget),
            [](GtkWidget* child, gpointer self) { static_cast<WidgetTreeWatch*>(self)->watch(child); }, this);
}

bool WidgetTreeWatch::allEnded(std::chrono::milliseconds timeout) const {
    return spinUntil([&] { return *ended_ == watched_; }, timeout);
}

ViewHost::ViewHost(WebKitWebView* view) {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window_), 800, 600);
    gtk_container_add(GTK_CONTAINER(window_), GTK_WIDGET(view));
    gtk_widget_show_all(window_);
}

ViewHost::~ViewHost() {
    gtk_widget_destroy(window_);
}

std::string toneWav(double seconds, int frequency) {
    const std::uint32_t rate = 22050;
    const std::uint32_t samples = static_cast<std::uint32_t>(seconds * rate);
    const std::uint32_t dataBytes = samples * 2;
    std::string wav;
    auto put = [&](std::uint32_t v, int bytes) {  // little-endian
        for (int i = 0; i < bytes; ++i) wav.push_back(static_cast<char>(v >> (8 * i)));
    };
    wav += "RIFF";
    put(36 + dataBytes, 4);
    wav += "WAVEfmt ";
    put(16, 4);
    put(1, 2);  // PCM
    put(1, 2);  // mono
    put(rate, 4);
    put(rate * 2, 4);  // bytes per second
    put(2, 2);         // block size
    put(16, 2);        // bits per sample
    wav += "data";
    put(dataBytes, 4);
    for (std::uint32_t i = 0; i < samples; ++i) {
        const double level = 8000 * std::sin(2 * M_PI * frequency * i / rate);
        put(static_cast<std::uint16_t>(static_cast<std::int16_t>(level)), 2);
    }
    return wav;
}

}  // namespace quenlith::test
