#include "support/toolkit_language.hpp"

#include <clocale>
#include <string>

#include <glib.h>
#include <libintl.h>

#include "model/localization_testing.hpp"

namespace quenlith::test {

namespace {
constexpr const char* kToolkitDomain = "gtk30";
}

ToolkitLanguage::ToolkitLanguage(const std::string& language, bool toolkitTexts)
    : noTexts_("quenlith-no-texts") {
    if (const gchar* before = g_getenv("LANGUAGE")) language_ = before;
    locale_ = setlocale(LC_MESSAGES, nullptr);
    folder_ = bindtextdomain(kToolkitDomain, nullptr);
    g_setenv("LANGUAGE", language.c_str(), TRUE);
    // gettext follows LANGUAGE only under a messages locale other than "C"; setting the locale also
    // makes it forget the translations it found before.
    setlocale(LC_MESSAGES, "C.UTF-8");
    if (!toolkitTexts) bindtextdomain(kToolkitDomain, noTexts_.path().c_str());
    localization_testing::reset();
}

ToolkitLanguage::~ToolkitLanguage() {
    if (language_)
        g_setenv("LANGUAGE", language_->c_str(), TRUE);
    else
        g_unsetenv("LANGUAGE");
    bindtextdomain(kToolkitDomain, folder_.c_str());
    setlocale(LC_MESSAGES, locale_.c_str());
    localization_testing::reset();
}

bool ToolkitLanguage::toolkitHasTexts(const std::string& language) {
    const std::string path = std::string(bindtextdomain(kToolkitDomain, nullptr)) + "/" + language +
                             "/LC_MESSAGES/" + kToolkitDomain + ".mo";
    return g_file_test(path.c_str(), G_FILE_TEST_EXISTS);
}

}  // namespace quenlith::test
