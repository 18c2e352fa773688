#!/bin/sh
# seed-start-profile.sh MODE URL...: prepares fresh XDG folders for a start measurement (measure-start.sh -p).
# MODE "start": one launch-at-start website per URL; MODE "restore": one saved website per URL and a
# saved session with one visible 1024x700 window each (so every page gets its own window).
exec python3 - "$@" <<'PY'
import json, os, sys, uuid
mode, urls = sys.argv[1], sys.argv[2:]
data = os.environ.get("XDG_DATA_HOME") or os.path.expanduser("~/.local/share")
config = os.environ.get("XDG_CONFIG_HOME") or os.path.expanduser("~/.config")
folder = os.path.join(data, "com.quenlith.Quenlith")
os.makedirs(folder, mode=0o700, exist_ok=True)
profiles, windows = [], []
for i, url in enumerate(urls):
    frame = {"x": 20.0 + 30 * i, "y": 20.0 + 30 * i, "width": 1024.0, "height": 700.0}
    pid = str(uuid.uuid4()).upper()
    profiles.append({"id": pid, "name": "W%d" % (i + 1), "homeURL": url,
        "alwaysOnTop": True, "followAcrossSpaces": True, "opacity": 1.0, "zoomLevel": 1.0,
        "compactMode": False, "rememberLastURL": True, "launchAtStartup": mode == "start", "sortOrder": i,
        "rememberWindowFrame": True, "isFavorite": True, "wasVisible": False, "windowFrame": frame})
    windows.append({"id": pid, "savedProfileID": pid, "selected": 0, "frame": frame, "visible": True,
        "minimized": False, "isMainBrowser": False,
        "tabs": [{"address": url, "title": "", "startPage": False, "sleeping": False}]})
with open(os.path.join(folder, "profiles.json"), "w") as f:
    json.dump({"version": 1, "profiles": profiles}, f)
if mode == "restore":
    with open(os.path.join(folder, "session-v1.json"), "w") as f:
        json.dump({"version": 1, "windows": windows}, f)
    os.makedirs(os.path.join(config, "com.quenlith.Quenlith"), exist_ok=True)
    prefs = {"showDockIcon": False, "searchEngine": "Google", "linkBehavior": "New Tab", "restoreWindows": True,
        "closeBehavior": "Hide Window", "theme": "Light", "defaultOpacity": 1.0, "defaultWidth": 1024.0,
        "defaultHeight": 700.0, "defaultCompact": False}
    with open(os.path.join(config, "com.quenlith.Quenlith", "settings.json"), "w") as f:
        json.dump({"preferences.v1": prefs}, f)
PY
