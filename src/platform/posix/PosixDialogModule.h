// The dialog module's interface: the saver loads the GTK 3 dialog host only when it shows a dialog.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Dialog.h"
#include "platform/Resources.h"

namespace plat::posix {

struct MessageRouter;

// The module's file, looked for beside the executable (the build tree) and then in
// kDialogModuleInstallDir relative to the executable's folder (an installed saver).
inline constexpr char kDialogModuleFile[] = "morgrave-dialogs.so";
// The one symbol the module exports: extern "C" const DialogModuleTable* (const DialogModuleImports*).
inline constexpr char kDialogModuleEntry[] = "morgrave_dialog_module";
// Both tables carry it; a module built for another version gives no table.
inline constexpr std::uint32_t kDialogModuleVersion = 1;

// What the module takes from the saver: the embedded resources and the queue's message router.
struct DialogModuleImports {
    std::uint32_t version;
    ResData (*findResource)(ResType type, std::uint16_t id);
    void (*setMessageRouter)(const MessageRouter* router);
};

// What the module gives: the seam's dialog functions that need GTK (see platform/Dialog.h).
struct DialogModuleTable {
    std::uint32_t version;
    std::intptr_t (*dialogBoxParam)(std::uint16_t templateId, Hwnd owner, DlgProc proc, void* user);
    bool (*endDialog)(Hwnd dlg, std::intptr_t result);
    Hwnd (*getDlgItem)(Hwnd dlg, int id);
    int (*getDlgCtrlID)(Hwnd control);
    bool (*setWindowText)(Hwnd hwnd, const char* text);
    std::string (*getWindowText)(Hwnd hwnd);
    bool (*getWindowRect)(Hwnd hwnd, Rect* out);
    bool (*moveWindowTo)(Hwnd hwnd, std::int32_t x, std::int32_t y);
    Rect (*getWorkArea)();
    Hwnd (*getOwner)(Hwnd hwnd);
    bool (*enableWindow)(Hwnd hwnd, bool enable);
    bool (*isWindowEnabled)(Hwnd hwnd);
    HMenu (*getSystemMenu)(Hwnd hwnd);
    bool (*appendMenu)(HMenu menu, std::uint32_t flags, std::uintptr_t id, const char* text);
};

using DialogModuleEntry = const DialogModuleTable* (*)(const DialogModuleImports* imports);

}  // namespace plat::posix
