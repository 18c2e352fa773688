#pragma once

// These widgets are shared with the settings now and live with the other shared widgets.
#include "ui/shortcut_picker.hpp"
