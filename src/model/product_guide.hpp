#pragma once

// The in-app guide's sections. A section sends the person to controls through placeholders that
// take the controls' own labels, so that it names them as they are shown, in either language.

#include <string>
#include <vector>

namespace quenlith {

struct GuideSection {
    const char* title;  // English; the lookup key
    const char* text;   // English, the controls as placeholders; the lookup key
    std::vector<std::string> controls;  // English labels of the controls named, in placeholder order
};

// The sections in order.
const std::vector<GuideSection>& guideSections();

// The section's text in the interface language, naming its controls as they are labelled.
std::string guideText(const GuideSection& section);

}  // namespace quenlith
