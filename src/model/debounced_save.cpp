#include "model/debounced_save.hpp"

#include <utility>

namespace quenlith {

DebouncedSave::DebouncedSave(Scheduler& scheduler, Delays delays, Save save)
    : scheduler_(scheduler), delays_(delays), save_(std::move(save)) {}

void DebouncedSave::changed() {
    // The tasks die with this (their handles cancel them), so they never reach a destroyed one.
    quiet_ = scheduler_.schedule(delays_.quiet, [this] { run(Call::mayHold); });
    if (!ceiling_.pending()) ceiling_ = scheduler_.schedule(delays_.ceiling, [this] { run(Call::mayHold); });
}

void DebouncedSave::cancel() {
    quiet_.cancel();
    ceiling_.cancel();
    held_.cancel();
}

bool DebouncedSave::pending() const {
    return quiet_.pending() || ceiling_.pending() || held_.pending();
}

void DebouncedSave::run(Call call) {
    // Every change so far goes into this save; later ones start a new wait, also from inside it.
    quiet_.cancel();
    ceiling_.cancel();
    if (call == Call::mustSave) held_.cancel();
    if (save_(call)) {
        held_.cancel();
        return;
    }
    // The hold is measured from the first one: changes that keep coming do not extend it.
    if (!held_.pending()) held_ = scheduler_.schedule(delays_.held, [this] { run(Call::mustSave); });
}

}  // namespace quenlith
