#!/usr/bin/env bash
# Fails when a source file makes a message dialog itself: every one is made by
# ui/message_dialog.cpp, which titles it and names it for screen readers by its heading.
# Usage: check_message_dialogs.sh SRC_DIR
set -euo pipefail
src=${1:?source folder}
found=$(grep -rnE 'make_(unique|shared)<Gtk::MessageDialog>|new Gtk::MessageDialog|gtk_message_dialog_new|Gtk::MessageDialog [a-z_]+\(' \
  "$src" --include='*.cpp' --include='*.hpp' | grep -v "^$src/ui/message_dialog.cpp:" || true)
if [ -n "$found" ]; then
  printf '%s\n' "$found"
  echo "message dialogs made outside ui/message_dialog.cpp: use makeMessageDialog"
  exit 1
fi
echo "every message dialog is made in one place"
