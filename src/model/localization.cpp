#include "model/localization.hpp"

// Placeholder lookup until the catalog reader lands: English text, simple substitution.
namespace quenlith {

std::string localizedString(std::string_view english) { return std::string(english); }

std::string localizedFormat(std::string_view englishFormat, const std::vector<FormatArgument>& arguments) {
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < englishFormat.size(); ++i) {
        char c = englishFormat[i];
        if (c != '%' || i + 1 >= englishFormat.size()) {
            out.push_back(c);
            continue;
        }
        std::size_t j = i + 1;
        if (englishFormat[j] == '%') {
            out.push_back('%');
            i = j;
            continue;
        }
        while (j < englishFormat.size() && (englishFormat[j] == 'l')) ++j;
        if (j < englishFormat.size() && next < arguments.size()) {
            const auto& argument = arguments[next++];
            if (auto text = std::get_if<std::string>(&argument))
                out += *text;
            else
                out += std::to_string(std::get<std::int64_t>(argument));
            i = j;
        }
    }
    return out;
}

}  // namespace quenlith
