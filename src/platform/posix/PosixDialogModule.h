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

// The seam's dialog functions that need GTK, named once: their signatures are those of
// platform/Dialog.h; the module's table, the GTK host and the saver's loader all follow this list.
// clang-format off
#define MG_DIALOG_MODULE_FUNCTIONS(X)                                                                  \
    X(DialogBoxParam) X(EndDialog) X(GetDlgItem) X(GetDlgCtrlID) X(SetWindowText) X(GetWindowText)      \
    X(GetWindowRect) X(MoveWindowTo) X(GetWorkArea) X(GetOwner) X(EnableWindow) X(IsWindowEnabled)      \
    X(GetSystemMenu) X(AppendMenu)
// clang-format on

// What the module gives: one pointer per function of the list, under the function's name.
struct DialogModuleTable {
    std::uint32_t version;
#define MG_DIALOG_TABLE_ENTRY(name) decltype(&plat::name) name;
    MG_DIALOG_MODULE_FUNCTIONS(MG_DIALOG_TABLE_ENTRY)
#undef MG_DIALOG_TABLE_ENTRY
};

// The GTK host's versions of the list's functions, inside the module (PosixDialog.cpp).
namespace gtkhost {
#define MG_DIALOG_HOST_DECL(name) decltype(plat::name) name;
MG_DIALOG_MODULE_FUNCTIONS(MG_DIALOG_HOST_DECL)
#undef MG_DIALOG_HOST_DECL
}  // namespace gtkhost

using DialogModuleEntry = const DialogModuleTable* (*)(const DialogModuleImports* imports);

}  // namespace plat::posix
