// MessageBoxA: the text on standard error always, and a GTK 3 dialog when a display is there.
//
// GTK is loaded with dlopen on the first box, so the program neither links against it nor
// needs it installed; without a display (or without GTK) the box is the standard-error text
// alone and never blocks.
#include "platform/ui.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/codepage.h"

namespace {

constexpr char kDefaultCaption[] = "Error";

// The few GTK and GLib entries the dialog needs, resolved from libgtk-3.so.0.
struct Gtk {
  using DisableSetlocale = void (*)();
  using InitCheck = int (*)(int*, char***);
  using MessageDialogNew = void* (*)(void*, int, int, int, const char*, ...);
  using SetTitle = void (*)(void*, const char*);
  using SetPosition = void (*)(void*, int);
  using Run = int (*)(void*);
  using Destroy = void (*)(void*);
  using EventsPending = int (*)();
  using MainIteration = int (*)();
  using ImageNewFromIconName = void* (*)(const char*, int);
  using SetImage = void (*)(void*, void*);
  using Show = void (*)(void*);

  DisableSetlocale disableSetlocale = nullptr;
  InitCheck initCheck = nullptr;
  MessageDialogNew messageDialogNew = nullptr;
  SetTitle setTitle = nullptr;
  SetPosition setPosition = nullptr;
  Run run = nullptr;
  Destroy destroy = nullptr;
  EventsPending eventsPending = nullptr;
  MainIteration mainIteration = nullptr;
  ImageNewFromIconName imageNewFromIconName = nullptr;
  SetImage setImage = nullptr;
  Show show = nullptr;
  bool ready = false;
};

template <typename Function>
bool Resolve(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

bool DisplayAvailable() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

// Loads and initialises GTK once; GTK stays loaded for the life of the process, since it
// cannot be unloaded safely once initialised.
const Gtk* LoadGtk() {
  static const Gtk gtk = [] {
    Gtk g;
    void* library = dlopen("libgtk-3.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return g;
    const bool resolved =
        Resolve(library, "gtk_disable_setlocale", g.disableSetlocale) &&
        Resolve(library, "gtk_init_check", g.initCheck) &&
        Resolve(library, "gtk_message_dialog_new", g.messageDialogNew) &&
        Resolve(library, "gtk_window_set_title", g.setTitle) &&
        Resolve(library, "gtk_window_set_position", g.setPosition) &&
        Resolve(library, "gtk_dialog_run", g.run) &&
        Resolve(library, "gtk_widget_destroy", g.destroy) &&
        Resolve(library, "gtk_events_pending", g.eventsPending) &&
        Resolve(library, "gtk_main_iteration", g.mainIteration) &&
        Resolve(library, "gtk_image_new_from_icon_name", g.imageNewFromIconName) &&
        Resolve(library, "gtk_message_dialog_set_image", g.setImage) &&
        Resolve(library, "gtk_widget_show", g.show);
    if (!resolved) return g;
    // GTK would otherwise reset the process's locale to the environment's.
    g.disableSetlocale();
    g.ready = g.initCheck(nullptr, nullptr) != 0;
    return g;
  }();
  return gtk.ready ? &gtk : nullptr;
}

void ShowDialog(const Gtk& gtk, const std::string& text, const std::string& caption, UINT type) {
  constexpr int kModal = 1;           // GTK_DIALOG_MODAL
  constexpr int kButtonsOk = 1;       // GTK_BUTTONS_OK
  constexpr int kCenter = 1;          // GTK_WIN_POS_CENTER
  constexpr int kIconSizeDialog = 6;  // GTK_ICON_SIZE_DIALOG
  int messageType = 3;                // GTK_MESSAGE_ERROR
  const char* icon = "dialog-error";
  switch (type & 0xF0) {
    case MB_ICONWARNING:
      messageType = 1;  // GTK_MESSAGE_WARNING
      icon = "dialog-warning";
      break;
    case MB_ICONINFORMATION:
      messageType = 0;  // GTK_MESSAGE_INFO
      icon = "dialog-information";
      break;
    case 0:
      messageType = 4;  // GTK_MESSAGE_OTHER
      icon = nullptr;
      break;
    default:
      break;
  }
  void* dialog = gtk.messageDialogNew(nullptr, kModal, messageType, kButtonsOk, "%s", text.c_str());
  if (dialog == nullptr) return;
  // GTK 3 no longer draws the message type's icon by itself; the box shows it as Windows does.
  if (icon != nullptr) {
    if (void* image = gtk.imageNewFromIconName(icon, kIconSizeDialog)) {
      gtk.setImage(dialog, image);
      gtk.show(image);
    }
  }
  gtk.setTitle(dialog, caption.c_str());
  gtk.setPosition(dialog, kCenter);
  gtk.run(dialog);
  gtk.destroy(dialog);
  while (gtk.eventsPending()) gtk.mainIteration();
}

}  // namespace

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  const std::string utf8Text = platform::Utf8FromAnsi(text != nullptr ? text : "");
  const std::string utf8Caption =
      caption != nullptr ? platform::Utf8FromAnsi(caption) : std::string(kDefaultCaption);
  std::fprintf(stderr, "%s\n", utf8Text.c_str());
  std::fflush(stderr);
  if (DisplayAvailable()) {
    if (const Gtk* gtk = LoadGtk()) ShowDialog(*gtk, utf8Text, utf8Caption, type);
  }
  return IDOK;
}

HWND GetActiveWindow() { return nullptr; }
