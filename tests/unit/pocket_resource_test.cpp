// Resource lookup in the test module, and the resource compiler run as a program.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>

#include "pocket_fixture.h"

namespace fs = std::filesystem;

namespace {

HINSTANCE module() { return pk::instanceOf(pkProgramModule); }

// The test module as the compiler wrote it: text beyond ASCII with its escapes, and a name
// never taken for the number it spells.
TEST(Resource, TheCompiledModuleKeepsTextAndNames) {
  EXPECT_EQ(pk::loadString(module(), 120), u"Grüße \"quoted\"");
  EXPECT_FALSE(pk::loadString(module(), 114) || FindResourceW(module(), u"300", RT_BITMAP) ||
               FindResourceW(module(), u"BMP_EIGHT", RT_DIALOG));
}

fs::path pkrcProgram() {
  if (const char* env = std::getenv("PKRC"); env && *env) return env;
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return exe.parent_path() / ".." / "tools" / "rc" / "pkrc";
}

class Pkrc : public ::testing::Test {
 protected:
  fs::path dir = test::freshRoot();
  std::string errors, output;
  ~Pkrc() override { fs::remove_all(dir); }

  void file(const std::string& name, const std::string& bytes) { std::ofstream(dir / name, std::ios::binary) << bytes; }
  int compile(const std::string& script) {
    file("x.rc", script);
    if (!fs::exists(pkrcProgram())) {
      ADD_FAILURE() << "pkrc not found next to the tests; set PKRC";
      return -1;
    }
    std::string cmd = pkrcProgram().string() + " '" + (dir / "x.rc").string() + "' '" + (dir / "x.cpp").string() +
                      "' pkTestModule 2>'" + (dir / "err").string() + "'";
    int raw = std::system(cmd.c_str());
    std::ifstream e(dir / "err"), o(dir / "x.cpp");
    errors.assign(std::istreambuf_iterator<char>(e), std::istreambuf_iterator<char>());
    output.assign(std::istreambuf_iterator<char>(o), std::istreambuf_iterator<char>());
    fs::remove(dir / "x.cpp");
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  void expectError(const std::string& script, const std::string& line, const std::string& what) {
    SCOPED_TRACE(script);
    EXPECT_NE(compile(script), 0);
    std::string where = line.find(':') == std::string::npos ? "x.rc:" + line : line;
    EXPECT_NE(errors.find(where + ": "), std::string::npos) << errors;
    EXPECT_NE(errors.find(what), std::string::npos) << errors;
    EXPECT_TRUE(output.empty());
  }
};

TEST_F(Pkrc, MalformedScriptsReportFileAndLine) {
  const char* cases[][3] = {
      {"\n\n1 MENU { POPUP \"G\" { MENUITEM \"x\" 101 } }", "3", "expected ',' and a command id"},
      {"1 RCDATA { 1, 2", "1", "found end of file"},
      {"1 RCDATA { 70000 }", "1", "does not fit 16 bits"},
      {"STRINGTABLE { 1, \"a }", "1", "unterminated string"},
      {"STRINGTABLE { 1, \"\\q\" }", "1", "unknown escape"},
      {"1 RCDATA { 1 }\n1 RCDATA { 2 }", "2", "defined twice"},
      {"X BITMAP \"missing.bmp\"", "1", "cannot read \"missing.bmp\""},
      {"1 DIALOG 0, 0, 10\n{ }", "2", "expected ','"},
      {"0x12G RCDATA { 1 }", "1", "malformed number"},
      {"2 MENU { POPUP \"P\" { MENUITEM \"A\", 3, 4 } }", "1", "menu option"},
      {"@", "1", "unexpected character"},
      {"STRINGTABLE { 1, \"\xFF\" }", "1", "not valid UTF-8"},
      {"A BITMAP \"text.bmp\"", "1", "not a BMP file"},
      {"1 ACCELERATORS { \"N\", 101, CONTROL }", "1", "SHIFT and CONTROL need VIRTKEY"},
      {"1 ACCELERATORS { \"^1\", 101 }", "1", "'^' goes before a letter"},
      {"1 ACCELERATORS { \"NO\", 101 }", "1", "one character"},
      {"1 ACCELERATORS { \"+\", 101, VIRTKEY }", "1", "a letter or a digit"},
      {"1 ACCELERATORS {\n \"N\", 101, VIRTKEY, CTRL }", "2", "expected an accelerator option"},
      {"1 ACCELERATORS { }", "1", "needs an entry"},
      {"\n#define\n", "2", "#define needs a name"},
      {"#define A 1\n#define A 2", "2", "A defined twice with different values"},
      {"#include \"none.h\"", "1", "cannot read \"none.h\""},
      {"#include \"bad.h\"", "bad.h:2", "unexpected character"},
  };
  file("bad.h", "#pragma once\n#define B @\n");
  file("text.bmp", "hello, not a picture at all; long enough to have a header......");
  for (auto& c : cases) expectError(c[0], c[1], c[2]);
}

// Names from a header of #define lines (declarations for C++ beside them are passed
// over) compile exactly as the numbers they stand for, wherever a number goes.
TEST_F(Pkrc, DefinedNamesCompileAsTheirValues) {
  file("ids.h",
       "#pragma once\n/* ids\n   shared */\n#define IDR_DATA 7 // the data\n#define ID_FIRST 0x10\n"
       "#define ID_SAME ID_FIRST\nconstexpr int kNotForUs = 1;\n");
  ASSERT_EQ(compile("#include \"ids.h\"\n#define ID_FIRST 0x10\nIDR_DATA RCDATA { ID_FIRST, ID_SAME, -IDR_DATA }\n"
                    "STRINGTABLE { ID_SAME, \"x\" }"),
            0)
      << errors;
  std::string named = output;
  ASSERT_EQ(compile("7 RCDATA { 16, 16, -7 }\nSTRINGTABLE { 16, \"x\" }"), 0) << errors;
  EXPECT_EQ(named, output);
}

}  // namespace
