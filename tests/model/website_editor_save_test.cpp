#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "model/address_limit.hpp"
#include "model/website_editor_save.hpp"
#include "proxy_vault_fake.hpp"

namespace quenlith {
namespace {

using Status_ = WebsiteEditorSaveOutcome::Status;

struct Harness {
    std::shared_ptr<test::FakeProxyVault> vault = std::make_shared<test::FakeProxyVault>();
    bool accept = true;
    std::vector<WebAppProfile> saved;
    std::vector<std::string> discarded;
    std::optional<std::string> shortcutMessage;

    WebsiteEditorSaveOutcome run(WebsiteEditorSaveRequest request) {
        WebsiteEditorSaveServices services;
        services.validateShortcut = [this](const auto&, const std::string&) { return shortcutMessage; };
        services.vault = vault;
        services.onSave = [this](const WebAppProfile& profile) {
            saved.push_back(profile);
            return accept;
        };
        services.discardCredential = [this](const std::string& id) { discarded.push_back(id); };
        std::optional<WebsiteEditorSaveOutcome> outcome;
        runWebsiteEditorSave(std::move(request), services, [&](WebsiteEditorSaveOutcome o) { outcome = o; });
        vault->answerAll();
        EXPECT_TRUE(outcome.has_value());
        return outcome.value_or(WebsiteEditorSaveOutcome{});
    }
};

WebsiteEditorSaveRequest website(const std::string& name = "Example",
                                 const std::string& address = "example.com") {
    WebsiteEditorSaveRequest request;
    request.draft.name = name;
    request.draft.homeURL = address;
    return request;
}

// An address of exactly `bytes` bytes.
std::string longAddress(std::size_t bytes) {
    const std::string head = "https://a.example/";
    return head + std::string(bytes - head.size(), 'b');
}

TEST(WebsiteEditorSave, ChecksStopAtTheFirstProblemInOrder) {
    auto withInterval = [](std::optional<double> interval, std::optional<std::string> text) {
        auto request = website();
        request.draft.autoReloadInterval = interval;
        request.autoReloadText = std::move(text);
        return request;
    };
    auto badAgent = website("  ", "nonsense");
    badAgent.draft.customUserAgent = "a\nb";
    auto agent = website();
    agent.draft.customUserAgent = "a\nb";
    auto badPort = website();
    badPort.draft.siteProxy = test::authenticatedProxy(std::nullopt);
    badPort.proxyPortText = "80x";
    auto missingPassword = website();
    missingPassword.draft.siteProxy = test::authenticatedProxy(std::nullopt);
    const struct {
        const char* label;
        WebsiteEditorSaveRequest request;
        std::optional<std::string> shortcutMessage;
        std::optional<std::string> error;
    } cases[] = {
        {"blank name first", badAgent, std::nullopt, "Enter a name for this website."},
        {"name holding U+0000", website(std::string("Ex\0ample", 8)), std::nullopt,
         "Enter a name for this website."},
        {"address", website("Example", "ftp://example.com"), std::nullopt,
         "Enter a valid HTTP or HTTPS website URL."},
        {"address at the length limit", website("Example", longAddress(kAddressByteLimit)), std::nullopt,
         std::nullopt},
        {"address over the length limit", website("Example", longAddress(kAddressByteLimit + 1)),
         std::nullopt, addressTooLongMessage()},
        {"interval 9.99", withInterval(9.99, std::nullopt), std::nullopt,
         "Auto reload must be at least 10 seconds."},
        {"interval NaN", withInterval(std::nan(""), std::nullopt), std::nullopt,
         "Auto reload must be at least 10 seconds."},
        {"interval text no number", withInterval(60, "ten"), std::nullopt,
         "Auto reload must be at least 10 seconds."},
        {"interval text 10", withInterval(60, "10"), std::nullopt, std::nullopt},
        {"user agent", agent, std::nullopt,
         "User-Agent must be one line, without control characters, and at most 4096 bytes."},
        {"shortcut", website(), "shortcut taken", "shortcut taken"},
        {"port text", badPort, std::nullopt, "Proxy port must be between 1 and 65535."},
        {"password", missingPassword, std::nullopt,
         "Enter the proxy password for this endpoint and username."},
    };
    for (const auto& c : cases) {
        Harness harness;
        harness.shortcutMessage = c.shortcutMessage;
        auto outcome = harness.run(c.request);
        EXPECT_EQ(outcome.error, c.error) << c.label;
        EXPECT_EQ(harness.saved.size(), c.error ? 0u : 1u) << c.label;
        EXPECT_EQ(outcome.status, c.error ? Status_::refused : Status_::saved) << c.label;
    }
}

TEST(WebsiteEditorSave, AddressIsNormalisedOnceTheFirstChecksPass) {
    Harness harness;
    auto request = website("Example", " example.com/app ");
    request.draft.rememberLastURL = false;
    request.draft.lastURL = "https://example.com/last";
    auto refusedEarly = request;
    refusedEarly.draft.autoReloadInterval = 5;
    EXPECT_EQ(harness.run(refusedEarly).draft.homeURL, " example.com/app ");

    request.draft.siteProxy = test::authenticatedProxy(std::nullopt);  // stops later for the missing password
    auto outcome = harness.run(request);
    EXPECT_EQ(outcome.status, Status_::refused);
    EXPECT_EQ(outcome.draft.homeURL, "https://example.com/app");
    EXPECT_EQ(outcome.draft.lastURL, std::nullopt);
    EXPECT_EQ(outcome.draft.siteProxy, test::authenticatedProxy(std::nullopt));
}

TEST(WebsiteEditorSave, OldPasswordGoesOnlyAfterTheNewRecordIsStored) {
    Harness harness;
    harness.vault->items["OLD"] = "old";
    auto request = website();
    request.draft.siteProxy = test::authenticatedProxy("OLD");
    request.originalProxy = test::authenticatedProxy("OLD");

    auto kept = harness.run(request);  // blank password: the stored one is kept
    EXPECT_EQ(kept.status, Status_::saved);
    EXPECT_EQ(kept.draft.siteProxy->credentialID, "OLD");
    EXPECT_TRUE(harness.discarded.empty());

    request.proxyPassword = "new";
    harness.accept = false;  // the store refuses: only the item just made goes
    auto refused = harness.run(request);
    EXPECT_EQ(refused.status, Status_::notStored);
    EXPECT_EQ(refused.draft.siteProxy->credentialID, "OLD");
    EXPECT_EQ(harness.vault->removed, std::vector<std::string>{"NEW-1"});
    EXPECT_EQ(harness.vault->items.count("OLD"), 1u);
    EXPECT_TRUE(harness.discarded.empty());

    harness.accept = true;
    auto saved = harness.run(request);
    EXPECT_EQ(saved.status, Status_::saved);
    EXPECT_EQ(harness.saved.back().siteProxy->credentialID, "NEW-2");
    EXPECT_EQ(harness.discarded, std::vector<std::string>{"OLD"});

    harness.vault->items.erase("NEW-2");  // the kept password can no longer be read
    request.proxyPassword.clear();
    request.originalProxy = test::authenticatedProxy("NEW-2");
    request.draft.siteProxy = test::authenticatedProxy("NEW-2");
    EXPECT_EQ(harness.run(request).error, test::FakeProxyVault::kMessage);
    harness.vault->failStores = true;
    request.proxyPassword = "new";
    EXPECT_EQ(harness.run(request).error, test::FakeProxyVault::kMessage);

    auto withoutProxy = website();
    withoutProxy.originalProxy = test::authenticatedProxy("NEW-2");
    harness.run(withoutProxy);
    EXPECT_EQ(harness.discarded.back(), "NEW-2");
}

TEST(WebsiteEditorSave, RecordIsNormalisedBeforeTheOwnerSeesIt) {
    Harness harness;
    auto request = website("  Mail  ");
    request.draft.autoReloadInterval = 60;
    request.autoReloadText = "12.5";  // the field's text is what is stored
    request.draft.siteProxy = test::authenticatedProxy(std::nullopt);
    request.draft.siteProxy->usesAuthentication = false;
    request.draft.siteProxy->host = " [::1] ";
    auto outcome = harness.run(request);
    ASSERT_EQ(outcome.status, Status_::saved);
    EXPECT_EQ(harness.saved.back().name, "Mail");
    EXPECT_EQ(harness.saved.back().autoReloadInterval, 12.5);
    EXPECT_EQ(harness.saved.back().siteProxy->host, "::1");
    EXPECT_EQ(harness.saved.back().siteProxy->username, "");
    EXPECT_TRUE(harness.saved.back().sessionIdentifier.has_value());
    EXPECT_EQ(outcome.draft, harness.saved.back());
}

}  // namespace
}  // namespace quenlith
