// Linked into every test program (not through the fixtures library, whose unreferenced
// objects the linker would drop).
#include <gtest/gtest.h>

#include <optional>

#include "shellkit/DropletCatalogueFolders.h"
#include "shellkit/RegistrySandbox.h"
#include "support/RegistryValues.h"

namespace {

// Every test program starts from a user with the context menu switched on, no droplets and no
// remembered commands, whatever the machine's user has (after `make demo`, say): the droplet
// catalogue folders point at empty temporary folders and the remembered commands are cleared.
// All is put back when the program ends.
class HermeticUserState : public ::testing::Environment {
public:
    void SetUp() override {
        Droplets.emplace();
        Product.emplace(std::initializer_list<RegistrySandbox::Key>{{HKEY_CURRENT_USER, RegistryValues::ProductKey}});
        RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, RegistryValues::ContextMenuKey);
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, RegistryValues::ProductKey, RegistryValues::EnableContextMenu, 1);
    }
    void TearDown() override {
        Product.reset();
        Droplets.reset();
    }

private:
    std::optional<DropletCatalogueFolders> Droplets;
    std::optional<RegistrySandbox> Product;
};

[[maybe_unused]] ::testing::Environment* const Registered =
    ::testing::AddGlobalTestEnvironment(new HermeticUserState);

}  // namespace
