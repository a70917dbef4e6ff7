// The seam's dialog calls in the saver: the GTK 3 dialog module is loaded when a dialog is shown.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/Dialog.h"
#include "platform/System.h"
#include "platform/posix/PosixDialogModule.h"
#include "platform/posix/PosixWindowRouter.h"

namespace plat::posix {

namespace {

constexpr std::uintptr_t kIconHandleTag = 0x1C000000u;

// The loaded module's table; nullptr until a dialog is first shown (never in the saver modes).
const DialogModuleTable* g_module = nullptr;

const DialogModuleImports kImports{kDialogModuleVersion, &plat::FindResource, &SetMessageRouter};

// Beside the executable (the build tree), then the install folder relative to it.
std::string ModulePath(const std::string& exeDir, bool installed) {
    return exeDir + (installed ? "/" MG_DIALOG_MODULE_RELDIR "/" : "/") + kDialogModuleFile;
}

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "morgrave: %s; the settings dialog cannot be shown\n", what.c_str());
    std::exit(1);
}

// DialogBoxParam: loads the module once; a missing or foreign module ends the process (status 1).
const DialogModuleTable& Module() {
    if (g_module != nullptr) return *g_module;
    const std::string exe = plat::GetModuleFileName();
    const std::size_t slash = exe.find_last_of('/');
    const std::string exeDir = slash == std::string::npos ? "." : exe.substr(0, slash);
    void* handle = nullptr;
    std::string tried;
    for (bool installed : {false, true}) {
        const std::string path = ModulePath(exeDir, installed);
        tried += (tried.empty() ? "" : ", ") + path;
        if (::access(path.c_str(), F_OK) != 0) continue;
        // A file that is there but does not load (damaged, another architecture) is named as such.
        handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) Fail("cannot load the dialog module: " + std::string(dlerror()));
        break;
    }
    if (handle == nullptr) Fail("the dialog module is missing (looked for " + tried + ")");
    auto entry = reinterpret_cast<DialogModuleEntry>(dlsym(handle, kDialogModuleEntry));
    if (entry == nullptr) Fail("the dialog module has no entry " + std::string(kDialogModuleEntry));
    g_module = entry(&kImports);
    if (g_module == nullptr || g_module->version != kDialogModuleVersion)
        Fail("the dialog module was built for another version of the saver");
    return *g_module;
}

}  // namespace

}  // namespace plat::posix

namespace plat {

// Calls other than DialogBoxParam name a dialog only while one runs, so the module is loaded then;
// before that, every handle is one of the saver's windows, which these calls leave alone.
std::intptr_t DialogBoxParam(std::uint16_t templateId, Hwnd owner, DlgProc proc, void* user) {
    if (proc == nullptr) return -1;
    return posix::Module().DialogBoxParam(templateId, owner, proc, user);
}

bool EndDialog(Hwnd dlg, std::intptr_t result) {
    return posix::g_module != nullptr && posix::g_module->EndDialog(dlg, result);
}

Hwnd GetDlgItem(Hwnd dlg, int id) { return posix::g_module != nullptr ? posix::g_module->GetDlgItem(dlg, id) : 0; }

int GetDlgCtrlID(Hwnd control) { return posix::g_module != nullptr ? posix::g_module->GetDlgCtrlID(control) : 0; }

bool SetWindowText(Hwnd hwnd, const char* text) {
    return posix::g_module != nullptr && posix::g_module->SetWindowText(hwnd, text);
}

std::string GetWindowText(Hwnd hwnd) {
    return posix::g_module != nullptr ? posix::g_module->GetWindowText(hwnd) : std::string{};
}

bool GetWindowRect(Hwnd hwnd, Rect* out) {
    return posix::g_module != nullptr && posix::g_module->GetWindowRect(hwnd, out);
}

bool MoveWindowTo(Hwnd hwnd, std::int32_t x, std::int32_t y) {
    return posix::g_module != nullptr && posix::g_module->MoveWindowTo(hwnd, x, y);
}

Rect GetWorkArea() { return posix::Module().GetWorkArea(); }

Hwnd GetOwner(Hwnd hwnd) { return posix::g_module != nullptr ? posix::g_module->GetOwner(hwnd) : 0; }

bool EnableWindow(Hwnd hwnd, bool enable) {
    return posix::g_module != nullptr && posix::g_module->EnableWindow(hwnd, enable);
}

bool IsWindowEnabled(Hwnd hwnd) {
    return posix::g_module != nullptr ? posix::g_module->IsWindowEnabled(hwnd) : hwnd != 0;
}

HMenu GetSystemMenu(Hwnd hwnd) { return posix::g_module != nullptr ? posix::g_module->GetSystemMenu(hwnd) : 0; }

bool AppendMenu(HMenu menu, std::uint32_t flags, std::uintptr_t id, const char* text) {
    return posix::g_module != nullptr && posix::g_module->AppendMenu(menu, flags, id, text);
}

HIcon LoadIcon(std::uint16_t id) {
    return FindResource(kRtGroupIcon, id).data != nullptr ? static_cast<HIcon>(posix::kIconHandleTag | id) : 0;
}

}  // namespace plat
