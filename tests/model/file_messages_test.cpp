#include <gtest/gtest.h>

#include <string>

#include "model/app_paths.hpp"
#include "model/browser_session.hpp"
#include "model/file_store.hpp"
#include "model/file_test_support.hpp"
#include "model/library_document.hpp"
#include "model/localization.hpp"
#include "model/localization_testing.hpp"

namespace quenlith {
namespace {

// The messages of the files and stores in the Chinese interface, placeholders filled.
TEST(FileMessages, AreTranslatedWithTheirPlaceholders) {
    test::TemporaryDataHome home;
    test::writeBytes(settingsFilePath(), R"({"interfaceLanguage": "zh-Hans"})");
    localization_testing::reset();

    EXPECT_EQ(libraryError(LibraryError::readOnly).message, "无法读取数据文件。请先恢复上一个备份，再进行编辑。");
    EXPECT_EQ(libraryError(LibraryError::invalidDocument).message, "此备份无效、过大，或来自不受支持的版本。");
    EXPECT_EQ(browserSessionError(BrowserSessionError::encodingTooLarge).message,
              "记录打开的窗口和标签页需要超过 8 MB，因此会话恢复无法保存它们。请关闭一些窗口或标签页以继续保存。");
    EXPECT_EQ(files::noSuchFileError("/x/profiles.json.backup").message, "文件“profiles.json.backup”不存在。");
    EXPECT_EQ(localizedFormat("Could not save your websites: %@", {std::string("磁盘已满")}), "无法保存你的网站：磁盘已满");
    auto missing = files::readWholeFile(home.root() + "/folder-that-is-not-there/library.json", 10);
    EXPECT_EQ(missing.error().message, "文件“library.json”不存在。");

    localization_testing::reset();
}

}  // namespace
}  // namespace quenlith
