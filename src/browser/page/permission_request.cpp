#include "browser/page/permission_request.hpp"

#include <webkit2/webkit2.h>

#include "browser/page/navigation_policy.hpp"
#include "model/localization.hpp"

namespace quenlith {

MediaCaptureRequest mediaCaptureRequest(WebKitUserMediaPermissionRequest* request) {
    MediaCaptureRequest devices;
    devices.camera = webkit_user_media_permission_is_for_video_device(request);
    devices.microphone = webkit_user_media_permission_is_for_audio_device(request);
    devices.screen = webkit_user_media_permission_is_for_display_device(request);
    return devices;
}

std::optional<MediaCaptureQuestion> mediaCaptureQuestion(const MediaCaptureRequest& request, std::string_view pageURI) {
    if (request.screen || (!request.camera && !request.microphone)) return std::nullopt;
    std::optional<std::string> host = uriHost(pageURI);
    MediaCaptureQuestion question;
    if (host) {
        // A host stands bare in English, as in the other texts that name one; Chinese quotes it.
        const char* format = request.camera && request.microphone ? "Allow %@ to use your camera and microphone?"
                             : request.camera                     ? "Allow %@ to use your camera?"
                                                                  : "Allow %@ to use your microphone?";
        question.message = localizedFormat(format, {*host});
    } else {
        const char* text = request.camera && request.microphone ? "Allow this page to use your camera and microphone?"
                           : request.camera                     ? "Allow this page to use your camera?"
                                                                : "Allow this page to use your microphone?";
        question.message = localizedString(text);
    }
    question.allowButton = localizedString("Allow");
    question.denyButton = localizedString("Don't Allow");
    return question;
}

}  // namespace quenlith
