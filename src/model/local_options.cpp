#include "model/local_options.hpp"

namespace quenlith {

namespace {

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

}  // namespace quenlith
