// The dialog module's entry: hands the saver the GTK 3 host's table and takes what the host needs.
#include "platform/posix/PosixDialogModule.h"

#include "platform/posix/PosixWindowRouter.h"

namespace plat::posix {

namespace {

DialogModuleImports g_imports{};  // set once by the entry, before the saver calls the table

#define MG_DIALOG_HOST_ENTRY(name) &gtkhost::name,
constexpr DialogModuleTable kTable{kDialogModuleVersion, MG_DIALOG_MODULE_FUNCTIONS(MG_DIALOG_HOST_ENTRY)};
#undef MG_DIALOG_HOST_ENTRY

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
