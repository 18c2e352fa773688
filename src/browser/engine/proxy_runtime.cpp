#include "browser/engine/proxy_runtime.hpp"

#include <algorithm>
#include <utility>

#include "browser/engine/proxy_passwords.hpp"
#include "model/localization.hpp"

namespace quenlith {

namespace {

constexpr const char* kCredentialKey = "quenlith-proxy-credential";

// Answers a proxy's first challenge of a message with the session's credential; a challenge after
// a refused answer is not answered again (answering again loops on a wrong password).
gboolean answerProxyChallenge(SoupMessage* message, SoupAuth* auth, gboolean retrying, gpointer) {
    if (retrying || !soup_auth_is_for_proxy(auth)) return FALSE;
    SoupSession* session = static_cast<SoupSession*>(g_object_get_data(G_OBJECT(message), "quenlith-session"));
    auto* credential =
        session ? static_cast<ProxyCredential*>(g_object_get_data(G_OBJECT(session), kCredentialKey)) : nullptr;
    if (!credential) return FALSE;
    soup_auth_authenticate(auth, credential->username.c_str(), credential->password.c_str());
    return TRUE;
}

void watchQueuedMessage(SoupSession* session, SoupMessage* message, gpointer) {
    g_object_set_data(G_OBJECT(message), "quenlith-session", session);
    g_signal_connect(message, "authenticate", G_CALLBACK(answerProxyChallenge), nullptr);
}

}  // namespace

ProxyRuntime::ProxyRuntime(CredentialReader readCredential)
    : readCredential_(std::move(readCredential)), self_(std::make_shared<ProxyRuntime*>(this)) {}

ProxyRuntime::~ProxyRuntime() {
    self_.reset();
    reading_.reset();
}

void ProxyRuntime::load(const BrowserProxySettings& settings) {
    settings_ = settings;
    errorMessage_ = settings.validationMessage();
    password_.reset();
    reading_.reset();
    // Without a password to read, the runtime is settled at once (the error value is not used).
    if (settings.kind == BrowserProxyKind::system || errorMessage_ || !settings.usesAuthentication)
        return passwordRead(Error{});
    if (!settings.credentialID || !readCredential_) return passwordRead(keychainError("no-credential"));
    // The reader may answer inside the call: the answer then finds nothing pending and is kept.
    reading_.emplace();
    std::weak_ptr<ProxyRuntime*> weak = self_;
    auto call = readCredential_(*settings.credentialID, [weak](Result<std::string> password) {
        if (auto self = weak.lock()) (*self)->passwordRead(std::move(password));
    });
    if (reading_) *reading_ = std::move(call);
}

void ProxyRuntime::loadFrom(ProxyRuntime& source) {
    if (source.held_) {
        hold();
        source.followers_.push_back(self_);
    }
    if (source.reading_) return load(source.settings_);
    settings_ = source.settings_;
    errorMessage_ = source.errorMessage_;
    reading_.reset();
    password_ = source.password_;
    if (password_) return passwordRead(*password_);
    passwordRead(Error{});
}

void ProxyRuntime::passwordRead(Result<std::string> password) {
    bool authenticates = settings_.kind != BrowserProxyKind::system && !errorMessage_ && settings_.usesAuthentication;
    if (authenticates && !password)
        errorMessage_ = localizedString(kKeyringMessage);
    else if (authenticates)
        password_ = *password;
    // Dropped last: the call may be what delivered this answer.
    auto finished = std::move(reading_);
    reading_.reset();
    settle();
}

void ProxyRuntime::hold() {
    held_ = true;
}

void ProxyRuntime::release() {
    if (!std::exchange(held_, false)) return;
    auto followers = std::move(followers_);
    followers_.clear();
    for (const auto& weak : followers)
        if (auto follower = weak.lock()) (*follower)->release();
    settle();
}

void ProxyRuntime::settle() {
    if (pending()) return;
    auto held = std::move(heldStores_);
    heldStores_.clear();
    for (const auto& weak : held)
        if (auto store = weak.lock()) apply(*store);
}

void ProxyRuntime::configure(const std::shared_ptr<WebsiteDataStore>& store) {
    if (!store) return;
    std::erase_if(configuredStores_, [](const auto& weak) { return weak.expired(); });
    bool configured = std::any_of(configuredStores_.begin(), configuredStores_.end(),
                                  [&](const auto& weak) { return weak.lock() == store; });
    if (configured) return;
    configuredStores_.push_back(store);
    if (pending()) {
        store->holdNetwork();
        heldStores_.push_back(store);
        return;
    }
    apply(*store);
}

void ProxyRuntime::apply(WebsiteDataStore& store) const {
    // A store still in use can come back to a new runtime (its website's proxy changed): whatever
    // an earlier runtime gave it is replaced.
    if (auto configuration = makeConfiguration())
        store.useProxy(*configuration);
    else if (settings_.kind != BrowserProxyKind::system)
        store.blockNetwork();
    else
        store.useSystemProxy();
}

std::optional<ProxyConfiguration> ProxyRuntime::makeConfiguration() const {
    if (settings_.kind == BrowserProxyKind::system || errorMessage_ || pending()) return std::nullopt;
    if (settings_.port < 1 || settings_.port > 65535) return std::nullopt;
    ProxyConfiguration configuration;
    configuration.kind = settings_.kind;
    configuration.host = settings_.normalizedHost();
    configuration.port = static_cast<std::uint16_t>(settings_.port);
    if (settings_.usesAuthentication && password_)
        configuration.credential = ProxyCredential{settings_.username, *password_};
    return configuration;
}

GObjectPtr<SoupSession> ProxyRuntime::makeSession() const {
    if (errorMessage_ || pending()) return {};
    auto configuration = makeConfiguration();
    if (!configuration) {
        if (settings_.kind != BrowserProxyKind::system) return {};
        return GObjectPtr<SoupSession>::adopt(soup_session_new());
    }
    std::string uri = configuration->uri();
    GProxyResolver* resolver = g_simple_proxy_resolver_new(uri.c_str(), nullptr);
    auto session = GObjectPtr<SoupSession>::adopt(soup_session_new_with_options("proxy-resolver", resolver, nullptr));
    g_object_unref(resolver);
    if (auto credential = configuration->challengeCredential()) {
        g_object_set_data_full(G_OBJECT(session.get()), kCredentialKey, new ProxyCredential(*credential),
                               [](gpointer data) { delete static_cast<ProxyCredential*>(data); });
        g_signal_connect(session.get(), "request-queued", G_CALLBACK(watchQueuedMessage), nullptr);
    }
    return session;
}

}  // namespace quenlith
