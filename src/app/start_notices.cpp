#include "app/start_notices.hpp"

#include <gtkmm/messagedialog.h>

#include "browser/engine/proxy_runtime.hpp"
#include "model/preferences_store.hpp"
#include "model/web_app_store.hpp"
#include "ui/alert.hpp"

namespace quenlith {

StartNotices::StartNotices(PreferencesStore& preferences, WebAppStore& store, ProxyRuntime& globalProxy)
    : preferences_(preferences), store_(store), globalProxy_(globalProxy), self_(std::make_shared<StartNotices*>(this)) {}

StartNotices::~StartNotices() {
    self_.reset();
}

void StartNotices::start() {
    std::weak_ptr<StartNotices*> weak = self_;
    if (preferences_.storedSettingsUnreadable()) {
        // The proxy the person set may be among what could not be read.
        globalProxy_.hold();
        preferences_.keepUnreadableAside([weak](const std::string& keptAt) {
            auto self = weak.lock();
            if (!self) return;
            (*self)->add(unreadableSettingsNotice(keptAt), [weak] {
                if (auto self = weak.lock()) (*self)->globalProxy_.release();
            });
        });
    }
    // The launcher comes up to say it too, but a window restored after it would cover it: the
    // notice stays in front with the keyboard until answered.
    if (!store_.writable() && store_.errorMessage()) add(unreadableWebsitesNotice(*store_.errorMessage()));
    if (!store_.setAsideProfiles().empty()) {
        store_.keepSetAsideCopy([weak](const Result<std::string>& keptAt) {
            auto self = weak.lock();
            // Without a copy no save goes either: the file itself still holds them.
            if (!self) return;
            std::vector<std::string> names;
            for (const auto& website : (*self)->store_.setAsideProfiles()) names.push_back(website.name);
            (*self)->add(setAsideWebsitesNotice(names, keptAt ? *keptAt : (*self)->store_.persistence().fileURL()));
        });
    }
}

void StartNotices::add(StartNotice notice, std::function<void()> answered) {
    waiting_.push_back({std::move(notice), std::move(answered)});
    if (!shown_) showNext();
}

void StartNotices::showNext() {
    shown_.reset();
    if (waiting_.empty()) return;
    Waiting next = std::move(waiting_.front());
    waiting_.pop_front();
    std::weak_ptr<StartNotices*> weak = self_;
    shown_ = presentNotice(AlertKind::warning, next.notice.title, next.notice.message,
                           [weak, answered = std::move(next.answered)] {
                               auto self = weak.lock();
                               if (!self) return;
                               if (answered) answered();
                               (*self)->showNext();
                           });
}

}  // namespace quenlith
