#include <gtk/gtk.h>

#include "ui/fitted_controls.h"

namespace hengdian {

namespace {

constexpr char kFittedClass[] = "hengdian-fitted";

// The theme makes buttons 34 pixels high and pads them, draws the chooser's arrow 16 pixels wide
// and the check box's mark 14; in the layout's 25-pixel rows the texts would be cut off.
constexpr char kFittedStyle[] = R"(
button.hengdian-fitted, combobox.hengdian-fitted button {
  min-height: 0; padding: 0 4px;
}
combobox.hengdian-fitted arrow { min-width: 10px; }
combobox.hengdian-fitted box.linked button { padding-left: 4px; padding-right: 2px; }
checkbutton.hengdian-fitted { padding: 0; }
checkbutton.hengdian-fitted check { min-width: 10px; min-height: 10px; margin: 0 2px 0 0; }
)";

/// The style sheet of the fitted controls, given to the whole screen once, so that it reaches the
/// inner widgets of a control (the chooser's button and arrow, the check box's mark) as well.
void installFittedStyle() {
  static const bool installed = [] {
    GtkCssProvider *provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, kFittedStyle, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
    return true;
  }();
  (void)installed;
}

}  // namespace

void fitToLayoutSize(wxWindow *control, int fontPoints) {
  installFittedStyle();
  gtk_style_context_add_class(gtk_widget_get_style_context(control->GetHandle()), kFittedClass);
  wxFont font = control->GetFont();
  font.SetPointSize(fontPoints);
  control->SetFont(font);
}

}  // namespace hengdian
