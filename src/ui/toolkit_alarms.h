#pragma once
// GTK's accessibility layer asserts falsely while a notebook removes its pages, so closing the
// window would print "gtk_notebook_get_tab_label: assertion 'list != NULL' failed" once a page
// (wxWidgets issue 22176). wx hides exactly that message, once a program allows it to filter the
// toolkit's messages; on Windows there is nothing to hide.

namespace hengdian {

/// Lets wx hide the toolkit's known false alarms. Called before wx starts the toolkit.
void quietKnownToolkitAlarms();

}  // namespace hengdian
