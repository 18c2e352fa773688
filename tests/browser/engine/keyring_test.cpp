// Proxy passwords in a real Secret Service (a gnome-keyring daemon unlocked with a test
// password), without one, and with one that never answers. Each test runs in a child process with
// a private D-Bus session of its own.
#include <algorithm>

#include <gtest/gtest.h>

#include "browser/engine/keyring_password_vault.hpp"
#include "browser/engine/proxy_fixture.hpp"
#include "support/child_process_test.hpp"
#include "support/keyring_daemon.hpp"
#include "support/toolkit_warnings.hpp"

namespace quenlith {
namespace {

using namespace test;

std::string codeOf(const Error& error) { return error.code.substr(error.code.find(':') + 1); }

TEST(KeyringTest, PasswordsAreSavedReadAndRemovedNeverUnlockingAndFailWithoutTheService) {
    if (!runInChildProcess(ChildProcessOptions().withPrivateBus())) return;
    KeyringDaemon keyring;
    for (const std::string& password :
         std::vector<std::string>{"secret", "p@ss:w/rd", "päss wört ✓", std::string(300, 'x'), std::string()}) {
        auto id = savePassword(password);
        ASSERT_TRUE(id) << id.error().message;
        EXPECT_EQ(Uuid::parse(*id).value_or(Uuid()).string(), *id) << "the id is the upper-case UUID text";
        auto read = readPassword(*id);
        ASSERT_TRUE(read) << read.error().code;
        EXPECT_EQ(*read, password);
    }
    // The same password twice makes two items; removing one leaves the other.
    auto first = savePassword("same"), second = savePassword("same");
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_TRUE(deletePassword(*first));
    EXPECT_EQ(readPassword(*first).error(), (Error{"keychain:secret.missing", kKeyringText}));
    EXPECT_EQ(readPassword(*second).value(), "same");
    EXPECT_TRUE(deletePassword(Uuid::random().string())) << "removing nothing is no failure";

    // Items live under the proxy schema only.
    LibsecretStore other("com.quenlith.Quenlith.other");
    EXPECT_EQ(codeOf(awaitAnswer<std::string>([&](auto done) { return other.read(*second, done); }).error()),
              kSecretMissing);
    // A secret that is not text.
    const std::string binary = Uuid::random().string();
    ASSERT_TRUE(awaitAnswer<Done>([&](auto done) {
        return proxySecretStore().add(binary, "binary", std::string("\xff\xfe\x00\x01", 4), done);
    }));
    EXPECT_EQ(codeOf(readPassword(binary).error()), kSecretNotText);

    // A locked keyring is reported, not unlocked: an unlock question would leave the read
    // unanswered until the time limit, which fails as unavailable instead.
    keyring.lockDefaultCollection();
    EXPECT_EQ(readPassword(*second).error(), (Error{"keychain:secret.locked", kKeyringText}));

    keyring.stop();  // no Secret Service any more
    EXPECT_EQ(readPassword(*second).error(), (Error{"keychain:secret.unavailable", kKeyringText}));
    EXPECT_EQ(savePassword("another").error(), (Error{"keychain:secret.unavailable", kKeyringText}));
    EXPECT_EQ(deletePassword(*second).error(), (Error{"keychain:secret.unavailable", kKeyringText}));
}

// The list of proxy passwords names their accounts and no other schema's, unlocking nothing: the
// items of a locked keyring are only counted.
TEST(KeyringTest, TheListGivesTheAccountsOfTheProxyPasswordsAndCountsThoseOfALockedKeyring) {
    if (!runInChildProcess(ChildProcessOptions().withPrivateBus())) return;
    KeyringDaemon keyring;
    auto list = [] {
        return awaitAnswer<SecretAccounts>([](auto done) { return listProxyCredentials(done); });
    };
    ASSERT_TRUE(list());
    EXPECT_TRUE(list()->accounts.empty());
    auto first = savePassword("one"), second = savePassword("two");
    ASSERT_TRUE(first && second);
    LibsecretStore other("com.quenlith.Quenlith.other");
    ASSERT_TRUE(
        awaitAnswer<Done>([&](auto done) { return other.add(Uuid::random().string(), "other", "x", done); }));
    // Another data folder's password in the same keyring is left out, and so is one made before
    // passwords named their folder: it may be any folder's, and a sweep must not take it.
    LibsecretStore elsewhere(kProxyPasswordSchema, mainLoopScheduler(), "/elsewhere/com.quenlith.Quenlith");
    LibsecretStore unnamed(kProxyPasswordSchema);
    const std::string legacy = Uuid::random().string();
    ASSERT_TRUE(awaitAnswer<Done>(
        [&](auto done) { return elsewhere.add(Uuid::random().string(), "elsewhere", "x", done); }));
    ASSERT_TRUE(awaitAnswer<Done>([&](auto done) { return unnamed.add(legacy, "legacy", "x", done); }));
    auto listed = list();
    ASSERT_TRUE(listed) << listed.error().message;
    std::sort(listed->accounts.begin(), listed->accounts.end());
    std::vector<std::string> expected{*first, *second};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed->accounts, expected);
    EXPECT_EQ(listed->locked, 0);
    // Nor does a removal here take either of them.
    EXPECT_TRUE(deletePassword(legacy));
    EXPECT_EQ(awaitAnswer<std::string>([&](auto done) { return unnamed.read(legacy, done); }).value(), "x");

    keyring.lockDefaultCollection();
    listed = list();
    ASSERT_TRUE(listed) << listed.error().message;
    EXPECT_TRUE(listed->accounts.empty());
    EXPECT_EQ(listed->locked, 4);

    keyring.stop();
    EXPECT_EQ(list().error().code, kSecretUnavailable);
}

// The proxy forms' vault stores, checks and removes through the same items.
TEST(KeyringTest, ThePasswordVaultOfTheProxyFormsKeepsItsPasswordsInTheKeyring) {
    if (!runInChildProcess(ChildProcessOptions().withPrivateBus())) return;
    KeyringDaemon keyring;
    KeyringPasswordVault vault;
    auto verify = [&](const std::string& id) {
        return awaitAnswer<Done>([&](auto done) {
            vault.verify(id, done);
            return SecretCall();
        });
    };
    auto id = awaitAnswer<std::string>([&](auto done) {
        vault.store("vaulted", done);
        return SecretCall();
    });
    ASSERT_TRUE(id) << id.error().message;
    EXPECT_EQ(readPassword(*id).value(), "vaulted");
    EXPECT_TRUE(verify(*id));
    vault.remove(*id);
    EXPECT_TRUE(spinUntil([&] { return !readPassword(*id); }));
    EXPECT_EQ(verify(*id).error(), (Error{"keychain:secret.missing", kKeyringText}));
}

// Two let-gos of one password at once (a save that failed and the one after it both replaced it)
// remove it once: two deletions of one item at once fail one in the service, and libsecret then
// answers its task twice.
TEST(KeyringTest, TwoRemovalsOfOnePasswordAtOnceRemoveItOnceAndTellBoth) {
    if (!runInChildProcess(ChildProcessOptions().withPrivateBus())) return;
    KeyringDaemon keyring;
    const int warningsBefore = toolkitWarningCount();
    std::string id;
    for (int round = 0; round < 4; ++round) {
        auto saved = savePassword("twice");
        ASSERT_TRUE(saved) << saved.error().message;
        id = *saved;
        std::vector<Status> told;
        for (int removal = 0; removal < 3; ++removal)
            deleteProxyPassword(id, [&](Status removed) { told.push_back(std::move(removed)); });
        ASSERT_TRUE(spinUntil([&] { return told.size() == 3; }));
        for (const Status& removed : told) EXPECT_TRUE(removed) << removed.error().message;
        EXPECT_EQ(readPassword(id).error(), (Error{"keychain:secret.missing", kKeyringText}));
    }
    // Asked again once the first has ended, it is a removal of its own, told in its turn.
    std::optional<Status> again;
    deleteProxyPassword(id, [&](Status removed) { again = std::move(removed); });
    ASSERT_TRUE(spinUntil([&] { return again.has_value(); }));
    EXPECT_TRUE(*again);
    EXPECT_EQ(toolkitWarningCount(), warningsBefore) << "a warning or critical was logged";
}

TEST(KeyringTest, AServiceThatNeverAnswersIsGivenUpOnAfterTheLimit) {
    if (!runInChildProcess(ChildProcessOptions().withPrivateBus())) return;
    SilentSecretService service;
    ASSERT_TRUE(service.ready());
    ManualScheduler timers;
    LibsecretStore store(kProxyPasswordSchema, timers);
    std::vector<std::optional<Result<std::string>>> answers(2);
    auto first = store.read("A", [&](Result<std::string> read) { answers[0] = std::move(read); });
    // Dropped while in flight: its answer never comes, and the call ends at once.
    store.read("B", [&](Result<std::string> read) { answers[1] = std::move(read); }).cancel();
    EXPECT_TRUE(spinUntil([] { return LibsecretStore::callsInFlight() == 1; }));
    spinFor(std::chrono::milliseconds(300));
    EXPECT_FALSE(answers[0]) << "the silent service answered";
    timers.advance(LibsecretStore::kReadLimit);
    ASSERT_TRUE(answers[0]);
    EXPECT_EQ(codeOf(answers[0]->error()), kSecretUnavailable);
    EXPECT_TRUE(spinUntil([] { return LibsecretStore::callsInFlight() == 0; }));
    EXPECT_FALSE(answers[1]);
}

}  // namespace
}  // namespace quenlith
