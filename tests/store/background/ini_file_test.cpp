// The INI reader and writer behind the task file.
#include <gtest/gtest.h>

#include "store/background/ini_file.h"
#include "support/temp_dir.h"
#include "velmor/exceptions.h"

namespace velmor::testing {
namespace {

TEST(IniFile, ReadsSectionsKeysAndComments) {
  IniFile ini("unused");
  ini.Parse("\xEF\xBB\xBF; leading comment\r\n[Task1]\r\nTaskType = qvlmt_task_TA \r\nTaskData=a=b\r\n"
            "[task2]\nTaskType=x\ntasktype=ignored\n\n[TASK1]\nExtra=1\n");
  EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"Task1", "task2"}));
  EXPECT_EQ(ini.ReadString("task1", "tasktype"), "qvlmt_task_TA") << "names ignore case, values are trimmed";
  EXPECT_EQ(ini.ReadString("Task1", "TaskData"), "a=b") << "only the first '=' separates";
  EXPECT_EQ(ini.ReadString("Task1", "Extra"), "1") << "a repeated header continues its section";
  EXPECT_EQ(ini.ReadString("task2", "TaskType"), "x") << "the first occurrence of a key wins";
  EXPECT_EQ(ini.ReadString("nosuch", "k", "def"), "def");
  EXPECT_EQ(ini.ReadString("task2", "nosuch", "def"), "def");
  EXPECT_TRUE(ini.SectionExists("TASK2"));
  EXPECT_EQ(ini.Text(),
            "; leading comment\r\n[Task1]\r\nTaskType=qvlmt_task_TA\r\nTaskData=a=b\r\nExtra=1\r\n[task2]\r\nTaskType=x\r\n");
}

TEST(IniFile, WritesErasesAndSavesAtomically) {
  TempDir dir;
  const std::string path = dir.File("TaskFile.ini");
  IniFile ini(path);
  std::string error;
  ASSERT_TRUE(ini.Load(&error)) << "a missing file reads as empty";
  EXPECT_TRUE(ini.Sections().empty());
  ini.WriteString("A", "TaskType", "t1");
  ini.WriteString("B", "TaskType", "t2");
  ini.WriteString("a", "tasktype", "t1b");
  ini.WriteString("A", "TaskData", "中文 数据");
  ASSERT_TRUE(ini.Save(&error)) << error;
  EXPECT_EQ(ReadFile(path), "[A]\r\nTaskType=t1b\r\nTaskData=中文 数据\r\n[B]\r\nTaskType=t2\r\n");

  IniFile again(path);
  ASSERT_TRUE(again.Load(&error));
  again.EraseSection("b");
  again.EraseSection("nosuch");
  ASSERT_TRUE(again.Save(&error));
  EXPECT_EQ(ReadFile(path), "[A]\r\nTaskType=t1b\r\nTaskData=中文 数据\r\n");

  // A directory that does not exist: the save fails and says so.
  IniFile nowhere(dir.File("missing/TaskFile.ini"));
  nowhere.WriteString("A", "k", "v");
  EXPECT_FALSE(nowhere.Save(&error));
  EXPECT_EQ(error, "无法写入文件" + dir.File("missing/TaskFile.ini"));
}

TEST(IniFile, RefusesTextThatWouldChangeTheFileStructure) {
  IniFile ini("unused");
  auto refused = [&](std::string_view section, std::string_view key, std::string_view value) {
    try {
      ini.WriteString(section, key, value);
    } catch (const Exception& e) {
      return std::string(e.what());
    }
    return std::string("accepted");
  };
  EXPECT_EQ(refused("A", "k", "line1\nline2"), "INI值不能包含换行符");
  EXPECT_EQ(refused("A", "k\r", "v"), "INI键名不能包含换行符");
  EXPECT_EQ(refused("A\nB", "k", "v"), "INI节名不能包含换行符");
  EXPECT_EQ(refused("A]", "k", "v"), "INI节名无效：A]");
  EXPECT_EQ(refused("A", "k=v", "v"), "INI键名无效：k=v");
  EXPECT_EQ(refused("A", "[k", "v"), "INI键名无效：[k");
  EXPECT_EQ(refused("", "k", "v"), "INI节名无效：");
  EXPECT_TRUE(ini.Sections().empty()) << "nothing was written";
}

}  // namespace
}  // namespace velmor::testing
