#include <gtest/gtest.h>

#include <string>

#include "model/user_agent.hpp"

namespace quenlith {
namespace {

const std::string kMessage = "User-Agent must be one line, without control characters, and at most 4096 bytes.";

TEST(UserAgent, ValidationLimitsBytesAndControlCharacters) {
    struct Case {
        const char* label;
        std::optional<std::string> text;
        bool valid;
    };
    std::string twoByte;
    for (int i = 0; i < 2048; ++i) twoByte += "é";
    const Case cases[] = {
        {"absent", std::nullopt, true},
        {"empty", std::string(), true},
        {"4096 ASCII bytes", std::string(4096, 'a'), true},
        {"4097 ASCII bytes", std::string(4097, 'a'), false},
        {"4096 bytes of two-byte letters", twoByte, true},
        {"4097 bytes with one more byte", twoByte + "a", false},
        {"NUL", std::string("Mozilla/5.0\0X", 13), false},
        {"line feed", std::string("Mozilla/5.0\nX"), false},
        {"delete", std::string("Mozilla/5.0\x7FX"), false},
        {"C1 control", std::string("Mozilla/5.0\u0085X"), false},
        {"format character (zero-width joiner)", std::string("Mozilla\u200D/5.0"), false},
        {"byte-order mark", std::string("\uFEFFMozilla"), false},
        {"spaces and non-ASCII letters", std::string("  Mözilla 中文 "), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(userAgentValidationMessage(c.text), c.valid ? std::nullopt : std::optional(kMessage)) << c.label;
}

TEST(UserAgent, PresetIsRecomputedFromTheText) {
    EXPECT_EQ(userAgentPreset(std::nullopt), UserAgentPreset::system);
    EXPECT_EQ(userAgentPreset(std::string()), UserAgentPreset::system);
    for (auto preset : {UserAgentPreset::safari, UserAgentPreset::iphone, UserAgentPreset::ipad}) {
        auto text = userAgentText(preset);
        ASSERT_TRUE(text);
        EXPECT_EQ(userAgentPreset(std::string(*text)), preset) << rawValue(preset);
        EXPECT_EQ(userAgentValidationMessage(std::string(*text)), std::nullopt);
    }
    EXPECT_EQ(userAgentPreset(std::string(*userAgentText(UserAgentPreset::ipad)) + " "), UserAgentPreset::custom);
    EXPECT_EQ(userAgentPreset(std::string("curl/8")), UserAgentPreset::custom);
    EXPECT_FALSE(userAgentText(UserAgentPreset::system));
    EXPECT_FALSE(userAgentText(UserAgentPreset::custom));
}

}  // namespace
}  // namespace quenlith
