// The Network page's draft: what Save refuses, what it stores, and what a settings file that
// cannot be written leaves behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "model/global_proxy_form.hpp"
#include "model/preferences_store.hpp"
#include "model/proxy_vault_fake.hpp"
#include "support/temp_environment.hpp"

namespace quenlith {
namespace {

class GlobalProxyFormTest : public testing::Test {
protected:
    void SetUp() override {
        {
            PreferencesStore seed(path);  // written by the time it is gone
            seed.update([](AppPreferences& p) { p.proxy = test::authenticatedProxy(); });
        }
        vault->items["OLD"] = "old password";
        preferences = std::make_unique<PreferencesStore>(path);
        form = std::make_unique<GlobalProxyForm>(*preferences);
        form->resetDraft();
    }
    void save() {
        form->save({vault, [this](const std::string& id) { discarded.push_back(id); }});
        vault->answerAll();
    }

    test::TemporaryFolder folder;
    std::string path = folder.file("config/settings.json");
    std::shared_ptr<test::FakeProxyVault> vault = std::make_shared<test::FakeProxyVault>();
    std::vector<std::string> discarded;
    std::unique_ptr<PreferencesStore> preferences;
    std::unique_ptr<GlobalProxyForm> form;
};

TEST_F(GlobalProxyFormTest, BadEndpointsAreRefusedAndChangeNothing) {
    // The endpoint rules have their own tables; here the form's handling of a refusal.
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"proxy.example", "80a", "Proxy port must be between 1 and 65535."},
        {"http://proxy.example", "8080", "Enter a proxy hostname or IP address without a scheme, path or port."},
    };
    for (const auto& [host, port, message] : cases) {
        form->editDraft([&](BrowserProxySettings& draft) { draft.host = host; });
        form->setPort(port);
        form->setPassword("typed");
        save();
        EXPECT_EQ(form->message(), message) << host << " " << port;
        EXPECT_TRUE(form->failed());
        EXPECT_EQ(form->password(), "typed") << "the typed password stays";
        EXPECT_EQ(preferences->value().proxy, test::authenticatedProxy());
        EXPECT_EQ(vault->created, 0);
    }
    form->discard();
    EXPECT_TRUE(!form->message() && form->password().empty() && form->draft() == test::authenticatedProxy());
}

TEST_F(GlobalProxyFormTest, ASavedProxyIsReadBackAndReplacesTheOldPassword) {
    form->setPort(" +03128 ");
    form->setPassword("new password");
    save();
    EXPECT_FALSE(form->failed());
    EXPECT_EQ(form->message(), "Proxy settings saved. Restart Quenlith when convenient to apply them.");
    EXPECT_EQ(PreferencesStore(path).value().proxy->credentialID, "NEW-1");
    EXPECT_EQ(form->port(), "3128");
    EXPECT_EQ(form->password(), "");
    EXPECT_EQ(discarded, std::vector<std::string>{"OLD"});
}

TEST_F(GlobalProxyFormTest, AnUnwritableSettingsFilePutsThePreviousProxyBackAndKeepsItsPassword) {
    // The configuration folder becomes a file: nothing can be written below it.
    std::filesystem::remove_all(folder.file("config"));
    test::writeFile(folder.file("config"), "not a folder");
    form->editDraft([&](BrowserProxySettings& draft) { draft.host = "other.example"; });
    form->setPassword("new password");
    save();
    EXPECT_TRUE(form->failed() && form->storeFailed());
    EXPECT_EQ(form->message()->rfind("Could not save settings: ", 0), 0u) << *form->message();
    EXPECT_EQ(preferences->value().proxy, test::authenticatedProxy()) << "the previous proxy is in force";
    EXPECT_EQ(form->draft().host, "other.example");
    EXPECT_EQ(form->password(), "new password");
    EXPECT_EQ(vault->removed, std::vector<std::string>{"NEW-1"}) << "only the password this Save stored";
    EXPECT_TRUE(vault->items.count("OLD"));
    EXPECT_TRUE(discarded.empty());
}

}  // namespace
}  // namespace quenlith
