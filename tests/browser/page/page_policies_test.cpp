#include <gtest/gtest.h>
#include <webkit2/webkit2.h>

#include "browser/page/page_dialog.hpp"
#include "browser/page/page_error.hpp"
#include "browser/page/permission_request.hpp"
#include "browser/page/response_policy.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {
namespace {

// Response decisions.

struct ResponseCase {
    bool supported;
    std::optional<const char*> disposition;
    ResponseVerdict verdict;
};
void PrintTo(const ResponseCase& c, std::ostream* out) {
    *out << (c.supported ? "supported" : "unsupported") << " / " << (c.disposition ? *c.disposition : "(none)");
}

class ResponseVerdictTest : public ::testing::TestWithParam<ResponseCase> {};

TEST_P(ResponseVerdictTest, ShowsWhatTheEngineCanShowUnlessItIsAnAttachment) {
    const auto& c = GetParam();
    std::optional<std::string_view> disposition;
    if (c.disposition) disposition = *c.disposition;
    EXPECT_EQ(responseVerdict(c.supported, disposition), c.verdict) << (c.disposition ? *c.disposition : "(none)");
}

INSTANTIATE_TEST_SUITE_P(
    Responses, ResponseVerdictTest,
    ::testing::Values(ResponseCase{true, std::nullopt, ResponseVerdict::show},
                      ResponseCase{false, std::nullopt, ResponseVerdict::download},
                      ResponseCase{true, "attachment", ResponseVerdict::download},
                      ResponseCase{true, "attachment; filename=\"report.html\"", ResponseVerdict::download},
                      ResponseCase{true, "  ATTACHMENT ;filename=a.txt", ResponseVerdict::download},
                      ResponseCase{true, "inline", ResponseVerdict::show},
                      ResponseCase{true, "inline; filename=\"attachment.txt\"", ResponseVerdict::show},
                      ResponseCase{false, "inline", ResponseVerdict::download},
                      ResponseCase{true, "attachments", ResponseVerdict::show},
                      ResponseCase{true, "", ResponseVerdict::show}));

// Failed loads.

GError* makeError(GQuark domain, int code, const char* message) { return g_error_new_literal(domain, code, message); }

struct FailureCase {
    GQuark (*domain)();
    int code;
    bool silent;
};
void PrintTo(const FailureCase& c, std::ostream* out) { *out << g_quark_to_string(c.domain()) << " " << c.code; }

class PageFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(PageFailureTest, SilentFailuresShowAndLogNothing) {
    GError* error = makeError(GetParam().domain(), GetParam().code, "Something went wrong");
    PageFailure failure = pageFailure(*error);
    g_error_free(error);
    EXPECT_EQ(isSilentPageFailure(failure), GetParam().silent) << failure.domain << " " << failure.code;
    if (GetParam().silent)
        EXPECT_EQ(pageErrorText(failure), std::nullopt);
    else
        EXPECT_EQ(pageErrorText(failure), "Something went wrong");
}

INSTANTIATE_TEST_SUITE_P(
    Failures, PageFailureTest,
    ::testing::Values(
        // A load replaced by a newer one, or stopped.
        FailureCase{webkit_network_error_quark, WEBKIT_NETWORK_ERROR_CANCELLED, true},
        // A navigation that became a download.
        FailureCase{webkit_policy_error_quark, WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE, true},
        FailureCase{webkit_network_error_quark, WEBKIT_NETWORK_ERROR_TRANSPORT, false},
        FailureCase{webkit_network_error_quark, WEBKIT_NETWORK_ERROR_FAILED, false},
        FailureCase{webkit_network_error_quark, WEBKIT_NETWORK_ERROR_UNKNOWN_PROTOCOL, false},
        FailureCase{webkit_policy_error_quark, WEBKIT_POLICY_ERROR_CANNOT_SHOW_MIME_TYPE, false},
        FailureCase{webkit_policy_error_quark, WEBKIT_POLICY_ERROR_CANNOT_USE_RESTRICTED_PORT, false},
        // The same numbers in other domains are real failures.
        FailureCase{webkit_policy_error_quark, WEBKIT_NETWORK_ERROR_CANCELLED, false},
        FailureCase{webkit_download_error_quark, WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE, false},
        FailureCase{g_io_error_quark, G_IO_ERROR_TIMED_OUT, false}));

TEST(PageErrorTest, WebProcessEndIsAFailureOfItsOwn) {
    PageFailure failure = webProcessEndedFailure();
    EXPECT_EQ(failure.domain, "Quenlith");
    EXPECT_EQ(failure.code, 1);
    EXPECT_EQ(pageErrorText(failure), "The page stopped responding. Try again to reconnect.");
    EXPECT_FALSE(isRoutinePageFailure(failure)) << "logged as an error";
}

// The log names the address and says what happened; everyday failures are information. The error
// box names the host with the port the address asked for.
TEST(PageErrorTest, TextAndLogNameTheAddressWithItsPort) {
    GError* error = makeError(WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_TRANSPORT,
                              "Could not connect to 127.0.0.1: Connection refused");
    const PageFailure failure = pageFailure(*error);
    g_error_free(error);
    EXPECT_TRUE(isRoutinePageFailure(failure));
    EXPECT_EQ(pageFailureLogLine(failure, "http://127.0.0.1:8123/a"),
              "Navigation failed: \"http://127.0.0.1:8123/a\" (\"Could not connect to 127.0.0.1: Connection "
              "refused\") WebKitNetworkError code 300");
    const std::pair<std::string, std::string> cases[] = {
        {"http://127.0.0.1:8123/a", "Could not connect to 127.0.0.1:8123: Connection refused"},
        {"http://127.0.0.1/a", "Could not connect to 127.0.0.1: Connection refused"},
        {"https://127.0.0.10:9/", "Could not connect to 127.0.0.1: Connection refused"},
        {"", "Could not connect to 127.0.0.1: Connection refused"},
    };
    for (const auto& [address, expected] : cases) EXPECT_EQ(pageErrorText(failure, address), expected) << address;
    PageFailure named{"g-io-error-quark", 0, "Error connecting to 127.0.0.1:8123"};
    EXPECT_EQ(pageErrorText(named, "http://127.0.0.1:8123/"), named.description) << "already named";
}

// Script dialogs.

TEST(PageDialogTest, DialogsNameTheMainPagesHost) {
    auto alert = scriptDialogContent(ScriptDialogKind::alert, "https://Mail.Example.com:8443/inbox", "Saved");
    EXPECT_EQ(alert.title, "Mail.Example.com");
    EXPECT_EQ(alert.message, "Saved");
    EXPECT_EQ(alert.buttons, std::vector<std::string>{"OK"});
    EXPECT_FALSE(alert.hasTextField);

    auto confirm = scriptDialogContent(ScriptDialogKind::confirm, "about:blank", "<b>Delete?</b>");
    EXPECT_EQ(confirm.title, "");
    EXPECT_EQ(confirm.message, "<b>Delete?</b>");
    EXPECT_EQ(confirm.buttons, (std::vector<std::string>{"OK", "Cancel"}));

    auto prompt = scriptDialogContent(ScriptDialogKind::prompt, "http://127.0.0.1:9/", "Name?", "Ada");
    EXPECT_EQ(prompt.title, "127.0.0.1");
    EXPECT_EQ(prompt.buttons, (std::vector<std::string>{"OK", "Cancel"}));
    EXPECT_TRUE(prompt.hasTextField);
    EXPECT_EQ(prompt.defaultText, "Ada");
}

struct AnswerCase {
    ScriptDialogKind kind;
    std::optional<std::size_t> button;
    ScriptDialogAnswer answer;
};
void PrintTo(const AnswerCase& c, std::ostream* out) {
    *out << "dialog " << static_cast<int>(c.kind) << " button " << (c.button ? std::to_string(*c.button) : "none");
}

class ScriptDialogAnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(ScriptDialogAnswerTest, ThePageGetsTheAnswerOfTheButton) {
    EXPECT_EQ(scriptDialogAnswer(GetParam().kind, GetParam().button, "typed"), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ScriptDialogAnswerTest,
    ::testing::Values(AnswerCase{ScriptDialogKind::alert, 0, {false, std::nullopt}},
                      AnswerCase{ScriptDialogKind::alert, std::nullopt, {false, std::nullopt}},
                      AnswerCase{ScriptDialogKind::confirm, 0, {true, std::nullopt}},
                      AnswerCase{ScriptDialogKind::confirm, 1, {false, std::nullopt}},
                      // No window: the negative answer at once.
                      AnswerCase{ScriptDialogKind::confirm, std::nullopt, {false, std::nullopt}},
                      AnswerCase{ScriptDialogKind::prompt, 0, {true, "typed"}},
                      AnswerCase{ScriptDialogKind::prompt, 1, {false, std::nullopt}},
                      AnswerCase{ScriptDialogKind::prompt, std::nullopt, {false, std::nullopt}},
                      AnswerCase{ScriptDialogKind::beforeUnload, std::nullopt, {true, std::nullopt}}));

TEST(PageDialogTest, OnlyTheLeaveQuestionIsNeverShown) {
    EXPECT_TRUE(isScriptDialogShown(ScriptDialogKind::alert));
    EXPECT_TRUE(isScriptDialogShown(ScriptDialogKind::confirm));
    EXPECT_TRUE(isScriptDialogShown(ScriptDialogKind::prompt));
    EXPECT_FALSE(isScriptDialogShown(ScriptDialogKind::beforeUnload));
}

// Camera and microphone.

struct CaptureCase {
    MediaCaptureRequest request;
    const char* page;
    std::optional<const char*> message;
};
void PrintTo(const CaptureCase& c, std::ostream* out) {
    *out << c.page << (c.request.camera ? " camera" : "") << (c.request.microphone ? " microphone" : "")
         << (c.request.screen ? " screen" : "");
}

class MediaCaptureQuestionTest : public ::testing::TestWithParam<CaptureCase> {};

TEST_P(MediaCaptureQuestionTest, NamesTheHostAndTheDevices) {
    auto question = mediaCaptureQuestion(GetParam().request, GetParam().page);
    if (!GetParam().message) {
        EXPECT_EQ(question, std::nullopt);
        return;
    }
    ASSERT_TRUE(question.has_value());
    EXPECT_EQ(question->message, *GetParam().message);
    EXPECT_EQ(question->allowButton, "Allow");
    EXPECT_EQ(question->denyButton, "Don't Allow");
}

INSTANTIATE_TEST_SUITE_P(
    Devices, MediaCaptureQuestionTest,
    ::testing::Values(
        CaptureCase{{true, false, false}, "https://meet.example.com/room", "Allow “meet.example.com” to use your camera?"},
        CaptureCase{{false, true, false}, "https://meet.example.com/room",
                    "Allow “meet.example.com” to use your microphone?"},
        CaptureCase{{true, true, false}, "https://meet.example.com/room",
                    "Allow “meet.example.com” to use your camera and microphone?"},
        CaptureCase{{true, true, false}, "data:text/html,x", "Allow this page to use your camera and microphone?"},
        CaptureCase{{false, true, false}, "about:blank", "Allow this page to use your microphone?"},
        CaptureCase{{true, false, false}, "about:blank", "Allow this page to use your camera?"},
        // Refused without asking.
        CaptureCase{{false, false, true}, "https://meet.example.com/room", std::nullopt},
        CaptureCase{{true, true, true}, "https://meet.example.com/room", std::nullopt},
        CaptureCase{{false, false, false}, "https://meet.example.com/room", std::nullopt}));

}  // namespace
}  // namespace quenlith

namespace quenlith {
namespace {

WebAppProfile website(const std::string& home, std::optional<std::string> last, bool remember) {
    WebAppProfile profile;
    profile.homeURL = home;
    profile.lastURL = std::move(last);
    profile.rememberLastURL = remember;
    return profile;
}

TEST(ErrorBoxActionsTest, TryAgainPrefersTheTabThenTheViewThenTheWebsite) {
    auto profile = website("example.com", std::string("https://example.com/last"), true);
    const std::optional<std::string> none;
    EXPECT_EQ(retryAddress(std::string("https://a.test/tab"), std::string("https://a.test/view"), profile),
              "https://a.test/tab");
    EXPECT_EQ(retryAddress(none, std::string("https://a.test/view"), profile), "https://a.test/view");
    EXPECT_EQ(retryAddress(none, std::string(""), profile), "https://example.com/last");
    // The remembered address counts only while the website remembers it, and only as a website address.
    EXPECT_EQ(retryAddress(none, none, website("example.com", std::string("https://example.com/last"), false)),
              "https://example.com");
    EXPECT_EQ(retryAddress(none, none, website("example.com", std::string("mailto:x@example.com"), true)),
              "https://example.com");
    EXPECT_EQ(retryAddress(none, none, website("not a website", std::nullopt, true)), std::nullopt);
}

TEST(ErrorBoxActionsTest, DefaultBrowserTakesOnlyWebAddresses) {
    auto profile = website("example.com", std::nullopt, true);
    const std::optional<std::string> none;
    EXPECT_EQ(defaultBrowserAddress(std::string("https://a.test/view"), std::string("https://a.test/tab"), profile),
              "https://a.test/view");
    EXPECT_EQ(defaultBrowserAddress(none, std::string("http://a.test/tab"), profile), "http://a.test/tab");
    EXPECT_EQ(defaultBrowserAddress(none, none, profile), "https://example.com");
    EXPECT_EQ(defaultBrowserAddress(std::string("about:blank"), std::string("https://a.test/tab"), profile),
              std::nullopt);
    EXPECT_EQ(defaultBrowserAddress(std::string("data:text/html,x"), none, profile), std::nullopt);
    EXPECT_EQ(defaultBrowserAddress(none, none, website("", std::nullopt, true)), std::nullopt);
}

}  // namespace
}  // namespace quenlith
