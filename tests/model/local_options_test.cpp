// Which command lines the starting process answers alone, without the running instance.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "model/file_test_support.hpp"
#include "model/local_options.hpp"

namespace quenlith {
namespace {

TEST(LocalOptions, TheHelpIsAnsweredWithoutAnInstanceUnlessAfterTheEndOfOptions) {
    const std::string link = "quenlith://open?url=https://example.com";
    const struct {
        std::vector<std::string> arguments;
        bool answeredHere;
    } cases[] = {
        {{"--help"}, true},
        {{"-h"}, true},
        {{"-?"}, true},
        {{"--help-all"}, true},
        {{"--help-gapplication"}, true},
        {{link, "--help"}, true},
        {{"--gapplication-service", "--help"}, true},
        {{"--some-option", "--help"}, true},
        {{}, false},
        {{link}, false},
        {{"--gapplication-service"}, false},
        {{"--", "--help"}, false},
        {{link, "--", "--help-all"}, false},
        {{"--helpful"}, false},
        {{"--version"}, false},
        {{"-x"}, false},
        {{"help"}, false},
    };
    for (const auto& [arguments, answeredHere] : cases) {
        std::string shown;
        for (const auto& argument : arguments) shown += " " + argument;
        EXPECT_EQ(answeredWithoutInstance(arguments), answeredHere) << "quenlith" << shown;
    }
}

// An argument that is no link of ours is named in a line or two: the first 120 characters, never
// cut inside one, then an ellipsis.
TEST(LocalOptions, AnIgnoredArgumentIsNamedByItsFirstCharactersOnly) {
    test::LanguageEnvironment english;
    const std::string address = "https://a.example/" + std::string(16'384, 'b');
    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";  // one character of five scalars
    std::string families;
    for (int i = 0; i < 200; ++i) families += family;
    const std::pair<std::string, std::string> cases[] = {
        {"https://example.com/page", "https://example.com/page"},
        {address, address.substr(0, 120) + "\u2026"},
        {families.substr(0, 120 * family.size()), families.substr(0, 120 * family.size())},
        {families, families.substr(0, 120 * family.size()) + "\u2026"},
    };
    for (const auto& [argument, shown] : cases)
        EXPECT_EQ(ignoredArgumentMessage(argument),
                  "Quenlith opens only quenlith:// links; \u201C" + shown + "\u201D was ignored.")
            << argument.size() << " bytes";
}

}  // namespace
}  // namespace quenlith
