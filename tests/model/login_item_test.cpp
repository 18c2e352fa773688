// The login item: an autostart entry whose Exec line starts exactly this program, and removed when off.
#include <gtest/gtest.h>

#include <glib.h>

#include "model/login_item.hpp"
#include "support/temp_environment.hpp"

namespace quenlith {
namespace {

// What a desktop reads back as the program to start: the key file's value, field codes undone,
// then split as the launcher splits it.
std::vector<std::string> launchedArguments(const std::string& entry) {
    GKeyFile* file = g_key_file_new();
    std::vector<std::string> arguments;
    if (g_key_file_load_from_data(file, entry.data(), entry.size(), G_KEY_FILE_NONE, nullptr)) {
        gchar* exec = g_key_file_get_string(file, "Desktop Entry", "Exec", nullptr);
        std::string line;
        for (const char* c = exec; c && *c; ++c) {
            line += *c;
            if (*c == '%' && c[1] == '%') ++c;
        }
        gchar** argv = nullptr;
        if (g_shell_parse_argv(line.c_str(), nullptr, &argv, nullptr))
            for (gchar** a = argv; *a; ++a) arguments.emplace_back(*a);
        g_strfreev(argv);
        g_free(exec);
    }
    g_key_file_free(file);
    return arguments;
}

TEST(LoginItem, SwitchingOnWritesAnEntryThatStartsExactlyTheProgramAndOffDeletesIt) {
    for (std::string path : {"/usr/bin/quenlith", "/opt/My Apps/quenlith", "/home/a\"b/q", "/x/back\\slash/q",
                             "/x/$HOME/`id`/q", "/x/100%/%U", "/x/new\nline/q", "/x/tab\there/it's;&|<>(q)*?#~"})
        EXPECT_EQ(launchedArguments(autostartEntryContents(path)), std::vector<std::string>{path}) << path;
    EXPECT_EQ(execLineArgument("/usr/bin/quenlith"), "/usr/bin/quenlith") << "a plain path stays unquoted";

    test::TemporaryEnvironment home;
    const std::string path = autostartEntryPath();
    EXPECT_EQ(path, std::string(g_get_user_config_dir()) + "/autostart/com.quenlith.Quenlith.desktop");
    LoginItem item(path, "/opt/Quen lith/quenlith");
    ASSERT_TRUE(item.setEnabled(true).ok());
    EXPECT_TRUE(item.enabled());
    EXPECT_EQ(launchedArguments(test::readFile(path)), std::vector<std::string>{"/opt/Quen lith/quenlith"});
    ASSERT_TRUE(item.setEnabled(false).ok());
    EXPECT_FALSE(item.enabled());
    EXPECT_FALSE(test::fileExists(path));
    EXPECT_TRUE(item.setEnabled(false).ok()) << "already off";

    // The autostart folder cannot be made: the reason is told and the item stays off.
    test::removeTree(std::string(g_get_user_config_dir()) + "/autostart");
    test::writeFile(std::string(g_get_user_config_dir()) + "/autostart", "a file");
    auto failed = item.setEnabled(true);
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().message.rfind("The autostart entry could not be updated: ", 0), 0u)
        << failed.error().message;
    EXPECT_FALSE(item.enabled());
    test::removeTree(std::string(g_get_user_config_dir()) + "/autostart");
    EXPECT_FALSE(LoginItem(path, "/opt/\xff/quenlith").setEnabled(true).ok()) << "not text: no entry can name it";
    EXPECT_FALSE(LoginItem(path, "").setEnabled(true).ok());
}

}  // namespace
}  // namespace quenlith
