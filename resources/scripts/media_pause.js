// Body of a function called with the argument `paused` (1 or 0) in the "quenlith" world.
// Pausing stops every playing audio and video element of the page and keeps them stopped, also when
// the page starts them again; resuming plays again exactly the elements this script stopped.
// Returns the number of elements it stopped or started.
const state = globalThis.__quenlithMediaPause || (globalThis.__quenlithMediaPause = {
    paused: false,
    held: new Set(),
});

function hold(media) {
    if (media.paused) return false;
    state.held.add(media);
    media.pause();
    return true;
}

function allMedia(root, found) {
    for (const media of root.querySelectorAll('audio, video')) found.push(media);
    for (const element of root.querySelectorAll('*')) {
        if (element.shadowRoot) allMedia(element.shadowRoot, found);
    }
    return found;
}

if (!state.listening) {
    // "play" does not bubble, but a capturing listener on the document sees it for every element
    // in the document.
    document.addEventListener('play', (event) => {
        if (state.paused && event.target instanceof HTMLMediaElement) hold(event.target);
    }, true);
    state.listening = true;
}

let changed = 0;
if (paused === 1) {
    state.paused = true;
    for (const media of allMedia(document, [])) {
        if (hold(media)) changed += 1;
    }
} else {
    state.paused = false;
    const held = Array.from(state.held);
    state.held.clear();
    for (const media of held) {
        if (!media.isConnected) continue;
        const started = media.play();
        if (started) started.catch(() => {});
        changed += 1;
    }
}
return changed;
