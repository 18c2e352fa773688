#pragma once

#include <utility>

#include <glib-object.h>

namespace quenlith {

// Owns one reference to a GObject from a C API: unreferenced when the holder goes away.
template <typename T>
class GObjectPtr {
public:
    GObjectPtr() = default;
    // Takes over a reference the caller owns (a "transfer full" return value).
    static GObjectPtr adopt(T* object) { return GObjectPtr(object); }
    // Adds a reference of its own (a "transfer none" value).
    static GObjectPtr retain(T* object) {
        if (object) g_object_ref(object);
        return GObjectPtr(object);
    }

    GObjectPtr(const GObjectPtr& other) : object_(other.object_) {
        if (object_) g_object_ref(object_);
    }
    GObjectPtr(GObjectPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    GObjectPtr& operator=(GObjectPtr other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~GObjectPtr() {
        if (object_) g_object_unref(object_);
    }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    T* release() { return std::exchange(object_, nullptr); }
    void reset() { GObjectPtr().swap(*this); }
    void swap(GObjectPtr& other) noexcept { std::swap(object_, other.object_); }

    bool operator==(const GObjectPtr& other) const { return object_ == other.object_; }

private:
    explicit GObjectPtr(T* object) : object_(object) {}
    T* object_ = nullptr;
};

}  // namespace quenlith
