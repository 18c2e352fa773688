#include "browser/engine/acceleration_probe.hpp"

#include <dlfcn.h>

#include <chrono>
#include <future>
#include <optional>
#include <string>

#include "model/logging.hpp"

// Last: the X headers define macros (None, Status, Bool) that other headers use as names.
#define EGL_NO_PLATFORM_SPECIFIC_TYPES
#include <EGL/egl.h>
#include <gdk/gdkx.h>

namespace quenlith {

namespace {

struct ProbeState {
    bool started = false;
    bool directRendering = false;
    std::future<std::string> renderer;
    std::optional<AccelerationPolicy> chosen;
};

ProbeState& state() {
    static ProbeState probe;
    return probe;
}

// Whether the X server lets clients render on a GPU: Mesa drivers need DRI3 or DRI2, the NVIDIA
// driver brings its own GLX. Xvfb, Xvnc and forwarded displays offer none of them.
bool hasDirectRendering() {
    GdkDisplay* display = gdk_display_get_default();
    if (!display || !GDK_IS_X11_DISPLAY(display)) return false;
    Display* x = gdk_x11_display_get_xdisplay(display);
    int opcode = 0, event = 0, error = 0;
    for (const char* extension : {"DRI3", "DRI2", "NV-GLX"})
        if (XQueryExtension(x, extension, &opcode, &event, &error)) return true;
    return false;
}

// The GL renderer string of the default display, or empty. EGL is loaded here only, so a display
// that is never asked loads no GL driver into this process.
std::string askRenderer() {
    void* library = dlopen("libEGL.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (!library) return {};
    auto lookup = reinterpret_cast<PFNEGLGETPROCADDRESSPROC>(dlsym(library, "eglGetProcAddress"));
    if (!lookup) return {};
    auto getDisplay = reinterpret_cast<PFNEGLGETDISPLAYPROC>(lookup("eglGetDisplay"));
    auto initialize = reinterpret_cast<PFNEGLINITIALIZEPROC>(lookup("eglInitialize"));
    auto bindAPI = reinterpret_cast<PFNEGLBINDAPIPROC>(lookup("eglBindAPI"));
    auto createContext = reinterpret_cast<PFNEGLCREATECONTEXTPROC>(lookup("eglCreateContext"));
    auto makeCurrent = reinterpret_cast<PFNEGLMAKECURRENTPROC>(lookup("eglMakeCurrent"));
    auto destroyContext = reinterpret_cast<PFNEGLDESTROYCONTEXTPROC>(lookup("eglDestroyContext"));
    auto terminate = reinterpret_cast<PFNEGLTERMINATEPROC>(lookup("eglTerminate"));
    using GetString = const unsigned char* (*)(unsigned);
    auto getString = reinterpret_cast<GetString>(lookup("glGetString"));
    if (!getDisplay || !initialize || !bindAPI || !createContext || !makeCurrent || !destroyContext || !terminate ||
        !getString)
        return {};
    EGLDisplay display = getDisplay(EGL_DEFAULT_DISPLAY);
    EGLint major = 0, minor = 0;
    if (display == EGL_NO_DISPLAY || !initialize(display, &major, &minor)) return {};
    std::string renderer;
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 2, EGL_NONE};
    if (bindAPI(EGL_OPENGL_ES_API)) {
        EGLContext context = createContext(display, nullptr, EGL_NO_CONTEXT, attributes);
        if (context != EGL_NO_CONTEXT) {
            if (makeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
                constexpr unsigned kRenderer = 0x1F01;  // GL_RENDERER
                if (const unsigned char* text = getString(kRenderer)) renderer = reinterpret_cast<const char*>(text);
                makeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
            }
            destroyContext(display, context);
        }
    }
    terminate(display);
    return renderer;
}

}  // namespace

void AccelerationProbe::start() {
    ProbeState& probe = state();
    if (probe.started) return;
    probe.started = true;
    probe.directRendering = hasDirectRendering();
    if (probe.directRendering) probe.renderer = std::async(std::launch::async, askRenderer);
}

AccelerationPolicy AccelerationProbe::policy() {
    ProbeState& probe = state();
    if (!probe.started) return AccelerationPolicy::engineDefault;
    if (!probe.chosen) {
        // The first web process does not wait for a GL driver to load: until the renderer is known
        // views keep the engine's default (what a real GPU gets anyway).
        if (probe.renderer.valid() &&
            probe.renderer.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return AccelerationPolicy::engineDefault;
        GraphicsCapability capability{probe.directRendering, probe.renderer.valid() ? probe.renderer.get() : ""};
        AccelerationChoice choice = chooseAcceleration(capability);
        probe.chosen = choice.policy;
        logInfo(LogCategory::browser,
                std::string("Hardware acceleration of web pages: ") +
                    (choice.policy == AccelerationPolicy::never ? "never" : "engine default") + " (" + choice.reason + ")");
    }
    return *probe.chosen;
}

}  // namespace quenlith
