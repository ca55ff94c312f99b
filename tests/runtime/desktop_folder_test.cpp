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

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "runtime/code_page.h"

namespace hengdian {
namespace {

namespace fs = std::filesystem;

// Puts HOME and XDG_CONFIG_HOME on a fresh temporary folder and restores both afterwards.
class DesktopFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saveVariable("HOME", savedHome_);
    saveVariable("XDG_CONFIG_HOME", savedConfigHome_);
    std::string pattern = (fs::temp_directory_path() / "desktop-folder-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    home = pattern;
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
  }

  void TearDown() override {
    restoreVariable("HOME", savedHome_);
    restoreVariable("XDG_CONFIG_HOME", savedConfigHome_);
    std::error_code ignored;
    fs::remove_all(home, ignored);
  }

  // Writes `content` as the user-dirs file in `configFolder`.
  void writeUserDirs(const fs::path &configFolder, const std::string &content) {
    fs::create_directories(configFolder);
    std::ofstream(configFolder / "user-dirs.dirs") << content;
  }

  std::u16string expected(const std::string &path) { return fromUtf8(path); }

  std::string home;

 private:
  static void saveVariable(const char *name, std::optional<std::string> &saved) {
    const char *value = getenv(name);
    if (value != nullptr) saved = value;
  }
  static void restoreVariable(const char *name, const std::optional<std::string> &saved) {
    if (saved) {
      setenv(name, saved->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }

  std::optional<std::string> savedHome_;
  std::optional<std::string> savedConfigHome_;
};

TEST_F(DesktopFolderTest, WithoutUserDirsFileIsDesktopInHome) {
  EXPECT_EQ(desktopFolder(), expected(home + "/Desktop/"));
  setenv("HOME", (home + "/").c_str(), 1);
  EXPECT_EQ(desktopFolder(), expected(home + "/Desktop/"));
}

TEST_F(DesktopFolderTest, ReadsTheEntryRelativeToHome) {
  writeUserDirs(fs::path(home) / ".config",
                "# written by xdg-user-dirs-update\n"
                "XDG_DOWNLOAD_DIR=\"$HOME/下载\"\n"
                "XDG_DESKTOP_DIR=\"$HOME/桌面\"\n"
                "XDG_DOCUMENTS_DIR=\"$HOME/文档\"\n");
  EXPECT_EQ(desktopFolder(), expected(home + "/桌面/"));
}

TEST_F(DesktopFolderTest, ReadsAnAbsoluteEntryWithoutDoublingItsSeparator) {
  writeUserDirs(fs::path(home) / ".config", "XDG_DESKTOP_DIR=\"/srv/desk/\"\n");
  EXPECT_EQ(desktopFolder(), u"/srv/desk/");
}

TEST_F(DesktopFolderTest, TakesTheUserDirsFileFromXdgConfigHome) {
  writeUserDirs(fs::path(home) / ".config", "XDG_DESKTOP_DIR=\"$HOME/wrong\"\n");
  writeUserDirs(fs::path(home) / "conf", "XDG_DESKTOP_DIR=\"$HOME/right\"\n");
  setenv("XDG_CONFIG_HOME", (home + "/conf").c_str(), 1);
  EXPECT_EQ(desktopFolder(), expected(home + "/right/"));
  // A relative XDG_CONFIG_HOME is invalid and the default place is used.
  setenv("XDG_CONFIG_HOME", "conf", 1);
  EXPECT_EQ(desktopFolder(), expected(home + "/wrong/"));
}

TEST_F(DesktopFolderTest, IgnoresCommentsAndValuesItCannotRead) {
  writeUserDirs(fs::path(home) / ".config",
                "# XDG_DESKTOP_DIR=\"$HOME/commented\"\n"
                "XDG_DESKTOP_DIR=\"relative/desk\"\n"
                "XDG_DESKTOP_DIR=\"$HOMEWORK/desk\"\n"
                "XDG_DESKTOP_DIR=\"$HOME/unterminated\n"
                "XDG_DESKTOP_DIR_OLD=\"$HOME/old\"\n");
  EXPECT_EQ(desktopFolder(), expected(home + "/Desktop/"));
}

TEST_F(DesktopFolderTest, LastEntryWinsAndBackslashEscapes) {
  writeUserDirs(fs::path(home) / ".config",
                "XDG_DESKTOP_DIR=\"$HOME/first\"\n"
                "  XDG_DESKTOP_DIR=\"$HOME/my \\\"desk\\\"\"\n");
  EXPECT_EQ(desktopFolder(), expected(home + "/my \"desk\"/"));
}

TEST_F(DesktopFolderTest, EntryOfHomeItselfIsHome) {
  writeUserDirs(fs::path(home) / ".config", "XDG_DESKTOP_DIR=\"$HOME/\"\n");
  EXPECT_EQ(desktopFolder(), expected(home + "/"));
}

}  // namespace
}  // namespace hengdian

#endif
