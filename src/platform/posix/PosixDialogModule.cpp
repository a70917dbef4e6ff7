// The dialog module's entry: hands the saver the GTK 3 host's table and takes what the host needs.
#include "platform/posix/PosixDialogModule.h"

#include "platform/posix/PosixWindowRouter.h"

namespace plat::posix {

namespace gtkhost {
std::intptr_t DialogBoxParam(std::uint16_t templateId, Hwnd owner, DlgProc proc, void* user);
bool EndDialog(Hwnd dlg, std::intptr_t result);
Hwnd GetDlgItem(Hwnd dlg, int id);
int GetDlgCtrlID(Hwnd control);
bool SetWindowText(Hwnd hwnd, const char* text);
std::string GetWindowText(Hwnd hwnd);
bool GetWindowRect(Hwnd hwnd, Rect* out);
bool MoveWindowTo(Hwnd hwnd, std::int32_t x, std::int32_t y);
Rect GetWorkArea();
Hwnd GetOwner(Hwnd hwnd);
bool EnableWindow(Hwnd hwnd, bool enable);
bool IsWindowEnabled(Hwnd hwnd);
HMenu GetSystemMenu(Hwnd hwnd);
bool AppendMenu(HMenu menu, std::uint32_t flags, std::uintptr_t id, const char* text);
}  // namespace gtkhost

namespace {

DialogModuleImports g_imports{};  // set once by the entry, before the saver calls the table

constexpr DialogModuleTable kTable{
    kDialogModuleVersion,   &gtkhost::DialogBoxParam, &gtkhost::EndDialog,       &gtkhost::GetDlgItem,
    &gtkhost::GetDlgCtrlID, &gtkhost::SetWindowText,  &gtkhost::GetWindowText,   &gtkhost::GetWindowRect,
    &gtkhost::MoveWindowTo, &gtkhost::GetWorkArea,    &gtkhost::GetOwner,        &gtkhost::EnableWindow,
    &gtkhost::IsWindowEnabled, &gtkhost::GetSystemMenu, &gtkhost::AppendMenu,
};

}  // namespace

// The host's dialog code reaches the saver's resources and queue through the imports.
void SetMessageRouter(const MessageRouter* router) { g_imports.setMessageRouter(router); }

}  // namespace plat::posix

namespace plat {
ResData FindResource(ResType type, std::uint16_t id) { return posix::g_imports.findResource(type, id); }
}  // namespace plat

// The saver's dialog loader calls this once, right after loading the module; nullptr when the
// module was built for another version of the interface.
extern "C" __attribute__((visibility("default"))) const plat::posix::DialogModuleTable* morgrave_dialog_module(
    const plat::posix::DialogModuleImports* imports) {
    using namespace plat::posix;
    if (imports == nullptr || imports->version != kDialogModuleVersion || imports->findResource == nullptr ||
        imports->setMessageRouter == nullptr) {
        return nullptr;
    }
    g_imports = *imports;
    return &kTable;
}
