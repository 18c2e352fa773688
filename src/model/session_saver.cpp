#include "model/session_saver.hpp"

namespace quenlith {

SessionSaver::SessionSaver(BrowserSessionPersistence persistence, Completion completion, FileWriter& writer)
    : persistence_(std::move(persistence)),
      writer_(writer),
      completion_(std::make_shared<Completion>(std::move(completion))) {}

SessionSaver::~SessionSaver() {
    writer_.flush(persistence_.fileURL());
}

void SessionSaver::writeLater(BrowserSessionDocument document) {
    auto held = std::make_shared<const BrowserSessionDocument>(std::move(document));
    writer_.write(
        persistence_.fileURL(), [persistence = persistence_, held] { return persistence.save(*held); },
        [weak = std::weak_ptr<Completion>(completion_)](const Status& result) {
            if (auto completion = weak.lock()) (*completion)(result);
        });
}

Status SessionSaver::exclusive(const std::function<Status(const BrowserSessionPersistence&)>& work) {
    return writer_.writeAndWait(persistence_.fileURL(), [&] { return work(persistence_); });
}

}  // namespace quenlith
