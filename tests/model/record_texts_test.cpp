#include <gtest/gtest.h>

#include <string>

#include "model/app_paths.hpp"
#include "model/app_preferences.hpp"
#include "model/browser_proxy_settings.hpp"
#include "model/interface_language.hpp"
#include "model/localization.hpp"
#include "model/localization_testing.hpp"
#include "model/user_agent.hpp"
#include "model/web_app_profile.hpp"
#include "support/temp_environment.hpp"

namespace quenlith {
namespace {

// The records' user-visible texts come from the catalog of the interface language.
class RecordTextsInChinese : public testing::Test {
protected:
    void SetUp() override {
        test::writeFile(settingsFilePath(), R"({"interfaceLanguage": "zh-Hans"})");
        localization_testing::reset();
        ASSERT_EQ(localization_testing::effectiveLanguageCode(), "zh-Hans");
    }
    void TearDown() override { localization_testing::reset(); }

    test::TemporaryEnvironment environment;
};

TEST_F(RecordTextsInChinese, MessagesAndTitlesAreTranslated) {
    BrowserProxySettings proxy;
    proxy.kind = BrowserProxyKind::httpConnect;
    proxy.host = "http://proxy";
    EXPECT_EQ(proxy.validationMessage(), "请输入代理主机名或 IP 地址，不要包含协议、路径或端口。");
    proxy.host = "proxy";
    proxy.port = 0;
    EXPECT_EQ(proxy.validationMessage(), "代理端口必须介于 1 和 65535 之间。");
    proxy.port = 1;
    proxy.usesAuthentication = true;
    EXPECT_EQ(proxy.validationMessage(), "请输入代理用户名。");
    proxy.kind = BrowserProxyKind::socks5;
    proxy.username = std::string(256, 'u');
    EXPECT_EQ(proxy.validationMessage(), "SOCKS5 用户名和密码各自最多 255 个 UTF-8 字节。");

    EXPECT_EQ(title(BrowserProxyKind::system), "使用系统代理");
    EXPECT_EQ(title(BrowserProxyKind::httpsConnect), "HTTPS CONNECT (TLS)") << "protocol names stay as they are";
    EXPECT_EQ(userAgentValidationMessage(std::string("a\tb")), "User-Agent 必须为单行，不含控制字符，且最多 4096 字节。");
    EXPECT_EQ(WebAppProfile().newAccountCopy().accountName, "新账户");
    EXPECT_EQ(title(LinkBehavior::newWindow), "新浮动窗口");
    EXPECT_EQ(title(CloseBehavior::release), "关闭窗口");
    EXPECT_EQ(title(AppTheme::system), "跟随系统");
    EXPECT_EQ(localizedString(rawValue(UserAgentPreset::system)), "默认");
    EXPECT_EQ(localizedString(rawValue(UserAgentPreset::custom)), "自定义");
    EXPECT_EQ(displayName(InterfaceLanguage::system), "跟随系统");
    EXPECT_EQ(localizedString("Language changes take effect after restarting Quenlith."),
              "语言更改将在重新启动 Quenlith 后生效。");
}

}  // namespace
}  // namespace quenlith
