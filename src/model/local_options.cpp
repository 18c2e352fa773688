#include "model/local_options.hpp"

#include "model/localization.hpp"
#include "model/text_limits.hpp"

namespace quenlith {

namespace {

// A line or two of a terminal.
constexpr std::size_t kShownArgumentCharacters = 120;

bool answeredHere(const std::string& argument) {
    // The toolkit's option parser prints the help (-h, -?, --help, --help-all, --help-GROUP) and
    // ends the process as it meets it, or refuses an unknown "--help…" as it would any unknown
    // option: either way before it looks for an instance.
    if (argument == "-h" || argument == "-?") return true;
    return argument == "--help" || argument.starts_with("--help-");
}

}  // namespace

bool answeredWithoutInstance(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--") return false;
        if (answeredHere(argument)) return true;
    }
    return false;
}

std::string ignoredArgumentMessage(std::string_view argument) {
    return localizedFormat("Quenlith opens only quenlith:// links; “%@” was ignored.",
                           {shortenedText(argument, kShownArgumentCharacters)});
}

}  // namespace quenlith
