#include "model/session_saver.hpp"

namespace quenlith {

SessionSaver::SessionSaver(BrowserSessionPersistence persistence, Completion completion, FileWriter& writer)
    : persistence_(std::move(persistence)),
      writer_(writer),
      shared_(std::make_shared<Shared>(Shared{std::move(completion), nullptr})) {}

SessionSaver::~SessionSaver() {
    writer_.flush(persistence_.fileURL());
}

bool SessionSaver::writeLater(BrowserSessionDocument document, bool holdTitlesAlone) {
    if (holdTitlesAlone && differsOnlyInTitles(document)) return false;
    writeLater(std::move(document));
    return true;
}

void SessionSaver::writeLater(BrowserSessionDocument document) {
    if (shared_->handed && *shared_->handed == document) return;
    auto held = std::make_shared<const BrowserSessionDocument>(std::move(document));
    shared_->handed = held;
    writer_.write(
        persistence_.fileURL(), [persistence = persistence_, held] { return persistence.save(*held); },
        [weak = std::weak_ptr<Shared>(shared_), held](const Status& result) {
            auto shared = weak.lock();
            if (!shared) return;
            if (!result && shared->handed == held) shared->handed.reset();
            shared->completion(result);
        });
}

namespace {

BrowserSessionDocument withoutTitles(BrowserSessionDocument document) {
    for (auto& window : document.windows)
        for (auto& tab : window.tabs) tab.title.clear();
    return document;
}

}  // namespace

bool SessionSaver::differsOnlyInTitles(const BrowserSessionDocument& document) const {
    const auto& handed = shared_->handed;
    return handed && *handed != document && withoutTitles(*handed) == withoutTitles(document);
}

Status SessionSaver::exclusive(const std::function<Status(const BrowserSessionPersistence&)>& work) {
    // What the file holds afterwards is the caller's: the next snapshot is written whatever it is.
    shared_->handed.reset();
    return writer_.writeAndWait(persistence_.fileURL(), [&] { return work(persistence_); });
}

}  // namespace quenlith
