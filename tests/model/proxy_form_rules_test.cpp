#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/proxy_form_rules.hpp"
#include "proxy_vault_fake.hpp"

namespace quenlith {
namespace {

const std::string kPasswordMissing = "Enter the proxy password for this endpoint and username.";
const std::string kSocksLength = "SOCKS5 credentials must be at most 255 UTF-8 bytes each.";
const std::string kPort = "Proxy port must be between 1 and 65535.";

TEST(ProxyFormRules, CredentialPlanFollowsEndpointUserAndPassword) {
    using Action = ProxyCredentialPlan::Action;
    auto previous = test::authenticatedProxy();
    auto otherHost = previous;
    otherHost.host = " [proxy.example2] ";
    auto otherUser = previous;
    otherUser.username = "bob";
    auto socks = test::authenticatedProxy("OLD", BrowserProxyKind::socks5);
    auto noAuth = previous;
    noAuth.usesAuthentication = false;
    auto system = previous;
    system.kind = BrowserProxyKind::system;
    std::string twoByte200;
    for (int i = 0; i < 200; ++i) twoByte200 += "é";
    const struct {
        const char* label;
        BrowserProxySettings draft;
        std::optional<BrowserProxySettings> previous;
        std::string password;
        std::optional<Action> action;  // none: refused
        std::optional<std::string> credential;
        std::string message;
    } cases[] = {
        {"unchanged, blank", previous, previous, "", Action::verifyPrevious, "OLD", ""},
        {"host changed, blank", otherHost, previous, "", std::nullopt, std::nullopt, kPasswordMissing},
        {"user changed, blank", otherUser, previous, "", std::nullopt, std::nullopt, kPasswordMissing},
        {"no previous, blank", previous, std::nullopt, "", std::nullopt, std::nullopt, kPasswordMissing},
        {"previous without auth", previous, noAuth, "", std::nullopt, std::nullopt, kPasswordMissing},
        {"spaces are a password", previous, previous, "  ", Action::storeTyped, std::nullopt, ""},
        {"typed, unchanged endpoint", previous, previous, "pw", Action::storeTyped, std::nullopt, ""},
        {"socks 255 bytes", socks, std::nullopt, std::string(255, 'x'), Action::storeTyped, std::nullopt, ""},
        {"socks 256 bytes", socks, std::nullopt, std::string(256, 'x'), std::nullopt, std::nullopt,
         kSocksLength},
        {"socks 200 two-byte", socks, std::nullopt, twoByte200, std::nullopt, std::nullopt, kSocksLength},
        {"http has no limit", previous, std::nullopt, std::string(4000, 'x'), Action::storeTyped,
         std::nullopt, ""},
        {"auth off clears", noAuth, previous, "pw", Action::none, std::nullopt, ""},
        {"system clears", system, previous, "pw", Action::none, std::nullopt, ""},
    };
    for (const auto& c : cases) {
        auto plan = planProxyCredential(c.draft, c.previous, c.password);
        ASSERT_EQ(plan.ok(), c.action.has_value()) << c.label;
        if (!plan) {
            EXPECT_EQ(plan.error().message, c.message) << c.label;
            continue;
        }
        EXPECT_EQ(plan->action, *c.action) << c.label;
        EXPECT_EQ(plan->settings.credentialID, c.credential) << c.label;
        if (*c.action == Action::none) {
            EXPECT_TRUE(plan->settings.username.empty() && !plan->settings.usesAuthentication) << c.label;
        }
    }
}

TEST(ProxyFormRules, ReplacedCredentialOnlyWhenTheStoredSettingsLetItGo) {
    auto previous = test::authenticatedProxy();
    auto renewed = previous;
    renewed.credentialID = "NEW";
    auto cleared = previous;
    cleared.credentialID.reset();
    EXPECT_EQ(replacedProxyCredential(previous, previous), std::nullopt);
    EXPECT_EQ(replacedProxyCredential(previous, renewed), "OLD");
    EXPECT_EQ(replacedProxyCredential(previous, cleared), "OLD");
    EXPECT_EQ(replacedProxyCredential(previous, std::nullopt), "OLD");
    EXPECT_EQ(replacedProxyCredential(cleared, renewed), std::nullopt);
    EXPECT_EQ(replacedProxyCredential(std::nullopt, renewed), std::nullopt);
}

TEST(ProxyFormRules, GlobalEndpointCheckReadsThePortTextOnlyForAProxyOfOurOwn) {
    auto draft = test::authenticatedProxy();
    draft.host = "  [::1] ";
    auto checked = checkGlobalProxyEndpoint(draft, " +8080 ");
    ASSERT_TRUE(checked.ok());
    EXPECT_EQ(checked->port, 8080);
    EXPECT_EQ(checked->host, "::1");
    EXPECT_EQ(checkGlobalProxyEndpoint(draft, "80a").error().message, kPort);
    draft.kind = BrowserProxyKind::system;
    EXPECT_EQ(checkGlobalProxyEndpoint(draft, "nonsense").value(), draft);
}

TEST(ProxyFormRules, GlobalSaveLetsGoOfTheOldPasswordOnlyOnceStored) {
    auto vault = std::make_shared<test::FakeProxyVault>();
    std::optional<std::string> failure = "disk full";
    std::vector<std::string> discarded;
    GlobalProxySaveServices services{vault,
                                     [&](const BrowserProxySettings&) {
                                         return failure ? Status(Error{"io", *failure}) : success();
                                     },
                                     [&](const std::string& id) { discarded.push_back(id); }};
    auto save = [&] {
        std::optional<Result<BrowserProxySettings>> outcome;
        runGlobalProxySave(test::authenticatedProxy(), "3128", test::authenticatedProxy(), "new", services,
                           [&](Result<BrowserProxySettings> r) { outcome = r; });
        vault->answerAll();
        return outcome.value();
    };
    EXPECT_EQ(save().error().message, "Could not save settings: disk full");
    EXPECT_TRUE(discarded.empty());
    EXPECT_EQ(vault->removed, std::vector<std::string>{"NEW-1"}) << "only the item this Save made";
    failure.reset();
    EXPECT_EQ(save().value().credentialID, "NEW-2");
    EXPECT_EQ(discarded, std::vector<std::string>{"OLD"});
}

}  // namespace
}  // namespace quenlith
