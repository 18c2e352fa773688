// Which command lines the starting process answers alone, without the running instance.
#include <string>
#include <vector>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace quenlith
