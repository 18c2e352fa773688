// Proxy passwords in a real Secret Service: a gnome-keyring daemon unlocked with a test password,
// each test in a child process with a private D-Bus session of its own.
#include "browser/engine/proxy_passwords.hpp"

#include <chrono>

#include <gtest/gtest.h>

#include "browser/engine/secret_store.hpp"
#include "model/uuid.hpp"
#include "support/child_process_test.hpp"
#include "support/keyring_daemon.hpp"

namespace quenlith {
namespace {

using Clock = std::chrono::steady_clock;

const std::string kKeychainMessage =
    "Proxy password could not be accessed in Keychain. Enter it again in Network settings.";

// Reading must fail at once rather than wait for an unlock prompt or a D-Bus time-out (25 s).
constexpr auto kPromptFree = std::chrono::seconds(3);

TEST(ProxyPasswordsTest, SavedPasswordsAreReadBackUnderNewIdentifiers) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    test::KeyringDaemon keyring;
    for (const std::string& password :
         std::vector<std::string>{"secret", "p@ss:w/rd", "päss wört ✓", std::string(300, 'x'), std::string()}) {
        auto id = saveProxyPassword(password);
        ASSERT_TRUE(id) << id.error().message;
        EXPECT_TRUE(Uuid::parse(*id)) << *id;
        EXPECT_EQ(Uuid::parse(*id)->string(), *id) << "the id is the upper-case UUID text";
        auto read = readProxyPassword(*id);
        ASSERT_TRUE(read) << read.error().code;
        EXPECT_EQ(*read, password);
    }
}

TEST(ProxyPasswordsTest, SavingTheSamePasswordTwiceMakesTwoItems) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    test::KeyringDaemon keyring;
    auto first = saveProxyPassword("same");
    auto second = saveProxyPassword("same");
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_NE(*first, *second);
    // Deleting one leaves the other.
    deleteProxyPassword(*first);
    EXPECT_FALSE(readProxyPassword(*first));
    auto kept = readProxyPassword(*second);
    ASSERT_TRUE(kept);
    EXPECT_EQ(*kept, "same");
}

TEST(ProxyPasswordsTest, ADeletedOrUnknownItemCannotBeRead) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    test::KeyringDaemon keyring;
    auto id = saveProxyPassword("secret");
    ASSERT_TRUE(id);
    deleteProxyPassword(*id);
    auto read = readProxyPassword(*id);
    ASSERT_FALSE(read);
    EXPECT_EQ(read.error().message, kKeychainMessage);
    EXPECT_EQ(read.error().code, std::string("keychain:") + kSecretMissing);
    EXPECT_FALSE(readProxyPassword(Uuid::random().string()));
    deleteProxyPassword(Uuid::random().string());  // deleting nothing is no error
}

TEST(ProxyPasswordsTest, ALockedKeyringIsNeverUnlockedForReading) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    test::KeyringDaemon keyring;
    auto id = saveProxyPassword("secret");
    ASSERT_TRUE(id);
    keyring.lockDefaultCollection();
    auto started = Clock::now();
    auto read = readProxyPassword(*id);
    EXPECT_LT(Clock::now() - started, kPromptFree);
    ASSERT_FALSE(read);
    EXPECT_EQ(read.error().code, std::string("keychain:") + kSecretLocked);
    EXPECT_EQ(read.error().message, kKeychainMessage);
}

TEST(ProxyPasswordsTest, WithoutASecretServiceEveryCallFailsAtOnce) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    std::string id;
    {
        test::KeyringDaemon keyring;
        auto saved = saveProxyPassword("secret");
        ASSERT_TRUE(saved);
        id = *saved;
    }
    auto started = Clock::now();
    auto read = readProxyPassword(id);
    auto saved = saveProxyPassword("another");
    deleteProxyPassword(id);
    EXPECT_LT(Clock::now() - started, kPromptFree);
    ASSERT_FALSE(read);
    EXPECT_EQ(read.error().code, std::string("keychain:") + kSecretUnavailable);
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error().message, kKeychainMessage);
}

TEST(ProxyPasswordsTest, ASecretThatIsNotTextCannotBeRead) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    test::KeyringDaemon keyring;
    const std::string account = Uuid::random().string();
    ASSERT_TRUE(proxySecretStore().add(account, "binary", std::string("\xff\xfe\x00\x01", 4)));
    auto read = readProxyPassword(account);
    ASSERT_FALSE(read);
    EXPECT_EQ(read.error().code, std::string("keychain:") + kSecretNotText);
}

TEST(ProxyPasswordsTest, ItemsLiveUnderTheProxySchema) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    test::KeyringDaemon keyring;
    auto id = saveProxyPassword("secret");
    ASSERT_TRUE(id);
    EXPECT_EQ(proxyKeychainQuery(*id), (ProxyKeychainQuery{"com.quenlith.Quenlith.proxy", *id}));
    // Another schema with the same account does not see the item.
    LibsecretStore other("com.quenlith.Quenlith.other");
    EXPECT_FALSE(other.read(*id));
    LibsecretStore same("com.quenlith.Quenlith.proxy");
    auto read = same.read(*id);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, "secret");
}

}  // namespace
}  // namespace quenlith
