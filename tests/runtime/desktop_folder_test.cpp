#include "runtime/desktop_folder.h"

#include <gtest/gtest.h>

#ifdef _WIN32

namespace hengdian {
namespace {

TEST(DesktopFolderTest, EndsWithABackslash) {
  std::u16string folder = desktopFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), u'\\');
}

}  // namespace
}  // namespace hengdian

#else

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "runtime/code_page.h"
#include "support/scoped_environment.h"
#include "support/test_helpers.h"

namespace hengdian {
namespace {

namespace fs = std::filesystem;

// Puts HOME on a fresh temporary folder and unsets XDG_CONFIG_HOME, restoring both afterwards.
class DesktopFolderTest : public ::testing::Test {
 protected:
  DesktopFolderTest() {
    homeVariable.set(home);
    configHomeVariable.unset();
  }

  // Writes `content` as the user-dirs file in `configFolder`.
  void writeUserDirs(const fs::path &configFolder, const std::string &content) {
    fs::create_directories(configFolder);
    testing::writeFileBytes(configFolder / "user-dirs.dirs", content);
  }

  testing::ScopedVariable homeVariable{"HOME"};
  testing::ScopedVariable configHomeVariable{"XDG_CONFIG_HOME"};
  testing::TempFolder temp{"desktop-folder-"};
  const std::string home = temp.path().string();
};

TEST_F(DesktopFolderTest, WithoutUserDirsFileIsDesktopInHome) {
  EXPECT_EQ(desktopFolder(), u16(home + "/Desktop/"));
  homeVariable.set(home + "/");
  EXPECT_EQ(desktopFolder(), u16(home + "/Desktop/"));
}

TEST_F(DesktopFolderTest, ReadsTheLastValidDesktopEntryOfTheUserDirsFile) {
  using Row = std::pair<std::string, std::string>;  // user-dirs file, desktop folder
  const std::vector<Row> rows{
      // Relative to home, among other entries.
      {"# written by xdg-user-dirs-update\n"
       "XDG_DOWNLOAD_DIR=\"$HOME/下载\"\n"
       "XDG_DESKTOP_DIR=\"$HOME/桌面\"\n"
       "XDG_DOCUMENTS_DIR=\"$HOME/文档\"\n",
       home + "/桌面/"},
      // An absolute entry without doubling its separator.
      {"XDG_DESKTOP_DIR=\"/srv/desk/\"\n", "/srv/desk/"},
      // Comments and values it cannot read are ignored.
      {"# XDG_DESKTOP_DIR=\"$HOME/commented\"\n"
       "XDG_DESKTOP_DIR=\"relative/desk\"\n"
       "XDG_DESKTOP_DIR=\"$HOMEWORK/desk\"\n"
       "XDG_DESKTOP_DIR=\"$HOME/unterminated\n"
       "XDG_DESKTOP_DIR_OLD=\"$HOME/old\"\n",
       home + "/Desktop/"},
      // The last entry wins and a backslash escapes.
      {"XDG_DESKTOP_DIR=\"$HOME/first\"\n"
       "  XDG_DESKTOP_DIR=\"$HOME/my \\\"desk\\\"\"\n",
       home + "/my \"desk\"/"},
      // An entry of home itself is home.
      {"XDG_DESKTOP_DIR=\"$HOME/\"\n", home + "/"},
  };
  for (const auto &[content, expected] : rows) {
    SCOPED_TRACE(content);
    writeUserDirs(fs::path(home) / ".config", content);
    EXPECT_EQ(desktopFolder(), u16(expected));
  }
}

TEST_F(DesktopFolderTest, TakesTheUserDirsFileFromXdgConfigHome) {
  writeUserDirs(fs::path(home) / ".config", "XDG_DESKTOP_DIR=\"$HOME/wrong\"\n");
  writeUserDirs(fs::path(home) / "conf", "XDG_DESKTOP_DIR=\"$HOME/right\"\n");
  configHomeVariable.set(home + "/conf");
  EXPECT_EQ(desktopFolder(), u16(home + "/right/"));
  // A relative XDG_CONFIG_HOME is invalid and the default place is used.
  configHomeVariable.set("conf");
  EXPECT_EQ(desktopFolder(), u16(home + "/wrong/"));
}

}  // namespace
}  // namespace hengdian

#endif
