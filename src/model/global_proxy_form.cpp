#include "model/global_proxy_form.hpp"

#include "model/localization.hpp"
#include "model/preferences_store.hpp"

namespace quenlith {

Status storeGlobalProxy(PreferencesStore& preferences, const BrowserProxySettings& proxy) {
    AppPreferences previous = preferences.value();
    // Waits: whether a new keyring item is kept or discarded depends on the answer.
    Status saved = preferences.updateAndWait([&](AppPreferences& value) { value.proxy = proxy; });
    // What was stored before stays in force: the settings file still holds it.
    if (!saved) preferences.setValue(std::move(previous));
    return saved;
}

GlobalProxyForm::GlobalProxyForm(PreferencesStore& preferences)
    : preferences_(preferences), self_(std::make_shared<GlobalProxyForm*>(this)) {}

GlobalProxyForm::~GlobalProxyForm() = default;

void GlobalProxyForm::resetDraft() {
    draft_ = preferences_.value().proxy.value_or(BrowserProxySettings{});
    port_ = std::to_string(draft_.port);
    password_.clear();
}

void GlobalProxyForm::discard() {
    resetDraft();
    message_.reset();
    failed_ = false;
}

void GlobalProxyForm::save(const Services& services, std::function<void()> done) {
    if (saving_) return;
    saving_ = true;
    failed_ = true;
    storeFailed_ = false;
    GlobalProxySaveServices rules;
    rules.vault = services.vault;
    PreferencesStore* preferences = &preferences_;
    rules.store = [preferences](const BrowserProxySettings& proxy) { return storeGlobalProxy(*preferences, proxy); };
    rules.discardCredential = services.discardCredential;
    std::weak_ptr<GlobalProxyForm*> weak = self_;
    const BrowserProxySettings previous = preferences_.value().proxy.value_or(BrowserProxySettings{});
    runGlobalProxySave(draft_, port_, previous, password_, std::move(rules),
                       [weak, done = std::move(done)](Result<BrowserProxySettings> stored) {
                           auto self = weak.lock();
                           if (!self) return;
                           GlobalProxyForm& form = **self;
                           form.saving_ = false;
                           if (stored) {
                               form.resetDraft();
                               form.failed_ = false;
                               form.message_ = localizedString(
                                   "Proxy settings saved. Restart Quenlith when convenient to apply them.");
                           } else {
                               form.message_ = stored.error().message;
                               form.storeFailed_ = stored.error().code == "proxy.store";
                           }
                           if (done) done();
                       });
}

}  // namespace quenlith
