#pragma once

#include <optional>
#include <string>
#include <string_view>

typedef struct _WebKitUserMediaPermissionRequest WebKitUserMediaPermissionRequest;

namespace quenlith {

// The devices a page asks to use.
struct MediaCaptureRequest {
    bool camera = false;
    bool microphone = false;
    bool screen = false;  // sharing the screen or a window
};

MediaCaptureRequest mediaCaptureRequest(WebKitUserMediaPermissionRequest* request);

// Our own question for camera and microphone (the engine has none): it names the main page's host
// and the devices, and is asked every time; nothing is remembered.
struct MediaCaptureQuestion {
    std::string message;
    std::string allowButton;  // first button
    std::string denyButton;
};

// Nothing when the request is refused without asking: screen sharing, or no camera and no
// microphone at all.
std::optional<MediaCaptureQuestion> mediaCaptureQuestion(const MediaCaptureRequest& request, std::string_view pageURI);

}  // namespace quenlith
