#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quenlith {

// Whether a start's command line (its arguments after the program's name) asks for something this
// process answers alone: the help (any of its groups). Such a start never needs the
// running instance, and so never waits for one that does not answer. Nothing after "--" is an option.
bool answeredWithoutInstance(const std::vector<std::string>& arguments);

// What a start says of an argument it does not hand on, naming it by its first characters only:
// an address of kilobytes given by mistake would otherwise fill the terminal.
std::string ignoredArgumentMessage(std::string_view argument);

}  // namespace quenlith
