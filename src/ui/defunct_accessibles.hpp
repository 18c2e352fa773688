#pragma once

namespace quenlith {

// A widget's accessible object can outlive the widget: the accessibility bridge holds every object
// it told a screen reader about for a few seconds, and keeps reading the objects it holds (a
// reader asking for all of them reads each one). GTK's accessible classes of buttons, labels,
// entries, expanders, check menu items and windows then answer no state set at all, and those of
// popovers and windows read the widget that is gone: the bridge logs a critical for each state it
// looks for and unrefs nothing. Once this is called, such an object reads as defunct, with no
// children and no attributes, as the toolkit's other accessible objects do. Main thread; once per
// process is enough, more do nothing.
void keepDefunctAccessiblesReadable();

}  // namespace quenlith
