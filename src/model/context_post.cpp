#include "model/context_post.hpp"

namespace quenlith {

namespace {

struct Delivery {
    std::function<void()> work;
};

gboolean runDelivery(gpointer data) {
    static_cast<Delivery*>(data)->work();
    return G_SOURCE_REMOVE;
}

}  // namespace

void postTo(GMainContext* context, std::function<void()> work) {
    GSource* source = g_idle_source_new();
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_set_callback(source, runDelivery, new Delivery{std::move(work)},
                          [](gpointer data) { delete static_cast<Delivery*>(data); });
    g_source_attach(source, context);
    g_source_unref(source);
}

}  // namespace quenlith
