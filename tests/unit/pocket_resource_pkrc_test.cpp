// The resource compiler run as a program: good scripts compile, bad ones fail
// with file:line and a reason, and never leave an output behind.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "pocket_files_tempdevice.h"

namespace fs = std::filesystem;

namespace {

fs::path pkrcProgram() {
  if (const char* env = std::getenv("PKRC"); env && *env) return env;
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  for (fs::path p : {exe.parent_path() / ".." / "tools" / "rc" / "pkrc", exe.parent_path() / "pkrc"})
    if (fs::exists(p, ec)) return p;
  return {};
}

struct Outcome {
  int status = -1;
  std::string errors;
  std::string output;
};

class Pkrc : public ::testing::Test {
 protected:
  fs::path dir = test::freshRoot();
  ~Pkrc() override { fs::remove_all(dir); }

  void file(const std::string& name, const std::string& bytes) {
    fs::create_directories((dir / name).parent_path());
    std::ofstream(dir / name, std::ios::binary) << bytes;
  }

  Outcome compile(const std::string& script, const char* symbol = "pkTestModule") {
    file("x.rc", script);
    Outcome r;
    fs::path program = pkrcProgram();
    EXPECT_FALSE(program.empty()) << "pkrc not found next to the tests; set PKRC";
    std::string cmd = program.string() + " '" + (dir / "x.rc").string() + "' '" + (dir / "x.cpp").string() +
                      "' " + symbol + " 2>'" + (dir / "err").string() + "'";
    int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream e(dir / "err");
    r.errors.assign(std::istreambuf_iterator<char>(e), std::istreambuf_iterator<char>());
    std::ifstream o(dir / "x.cpp");
    r.output.assign(std::istreambuf_iterator<char>(o), std::istreambuf_iterator<char>());
    fs::remove(dir / "x.cpp");
    return r;
  }

  void expectError(const std::string& script, const std::string& where, const std::string& what) {
    SCOPED_TRACE(script);
    Outcome r = compile(script);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.errors.find("x.rc:" + where + ": "), std::string::npos) << r.errors;
    EXPECT_NE(r.errors.find(what), std::string::npos) << r.errors;
    EXPECT_TRUE(r.output.empty());
  }

  static std::string bmp(uint16_t bits, uint32_t compression, int32_t width = 2, int32_t height = 2) {
    std::string h(54, '\0');
    auto put = [&h](size_t at, uint32_t v, int n) {
      for (int k = 0; k < n; ++k) h[at + size_t(k)] = char(v >> (8 * k));
    };
    h[0] = 'B', h[1] = 'M';
    uint32_t table = bits <= 8 ? (4u << bits) : 0;
    uint32_t stride = ((uint32_t(width) * bits + 31) / 32) * 4;
    put(10, 54 + table, 4);
    put(14, 40, 4);
    put(18, uint32_t(width), 4);
    put(22, uint32_t(height), 4);
    put(26, 1, 2);
    put(28, bits, 2);
    put(30, compression, 4);
    return h + std::string(table + stride * uint32_t(height < 0 ? -height : height), '\x11');
  }
};

TEST_F(Pkrc, TheTestModuleCompilesToWhatTheTestsLinked) {
  fs::path script = fs::path(__FILE__).parent_path().parent_path() / "res" / "test.rc";
  if (!fs::exists(script)) GTEST_SKIP() << "sources not at " << script;
  std::string cmd = pkrcProgram().string() + " '" + script.string() + "' '" + (dir / "t.cpp").string() + "' pkT";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::ifstream in(dir / "t.cpp");
  std::string out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string tail = "{\"test\", entries, " + std::to_string(pkProgramModule.count) + "};";
  EXPECT_NE(out.find(tail), std::string::npos) << tail;
  for (size_t i = 0; i < pkProgramModule.count; ++i) {
    const pk::ResourceEntry& e = pkProgramModule.entries[i];
    std::string row = ", r" + std::to_string(i) + ", " + std::to_string(e.size) + "u},";
    EXPECT_NE(out.find(row), std::string::npos) << row;
  }
}

TEST_F(Pkrc, ExtendedDialogFontsAndMenuOptions) {
  Outcome r = compile(
      "1 DIALOGEX 0, 0, 10, 10\nFONT 8, \"Tahoma\", 400, 0, 1\n{ }\n"
      "2 MENU { POPUP \"P\" { MENUITEM \"A\", 3, GRAYED MENUITEM \"B\", 4 INACTIVE } }\n");
  EXPECT_EQ(r.status, 0) << r.errors;
  expectError("2 MENU { POPUP \"P\" { MENUITEM \"A\", 3, 4 } }", "1", "menu option");
  expectError("2 MENU { MENUITEM \"A\", 3 } }\n3 MENU { BOGUS }", "1", "resource name");
}

TEST_F(Pkrc, EmptyScriptMakesAnEmptyModule) {
  Outcome r = compile("// nothing yet\n");
  EXPECT_EQ(r.status, 0) << r.errors;
  EXPECT_NE(r.output.find("const pk::ModuleImage pkTestModule = {\"x\", nullptr, 0};"), std::string::npos)
      << r.output;
}

TEST_F(Pkrc, EachKindCompilesWithItsType) {
  file("b/p.bmp", bmp(8, 0));
  file("s.wav", std::string("RIFF\4\0\0\0WAVE", 12));
  file("i.ico", "icon bytes");
  Outcome r = compile(
      "pic BITMAP \"b/p.bmp\"\n21 ICON \"i.ico\"\nSND wave \"s.wav\"\n"
      "STRINGTABLE { 7, \"a\" }\n5 RCDATA { 1, -1 }\n9 MENU { POPUP \"P\" { MENUITEM \"I\", 3 } }\n"
      "8 DIALOG 0, 0, 10, 10 { }\n");
  ASSERT_EQ(r.status, 0) << r.errors;
  for (const char* entry : {"{{2, nullptr}, {0, \"PIC\"}", "{{14, nullptr}, {21, nullptr}", "{{0, \"WAVE\"}, {0, \"SND\"}",
                            "{{6, nullptr}, {7, nullptr}, r3, 2u}", "{{10, nullptr}, {5, nullptr}, r4, 4u}",
                            "{{4, nullptr}, {9, nullptr}", "{{5, nullptr}, {8, nullptr}"})
    EXPECT_NE(r.output.find(entry), std::string::npos) << entry << "\n" << r.output;
  // The RCDATA words, little-endian, -1 as 0xFFFF.
  EXPECT_NE(r.output.find("r4[] = {\n  1,0,255,255,}"), std::string::npos) << r.output;
  // The bitmap's 14-byte file header is gone: the data opens with the 40-byte info header.
  EXPECT_NE(r.output.find("r0[] = {\n  40,0,0,0,2,0,"), std::string::npos) << r.output;
}

TEST_F(Pkrc, MalformedScriptsReportFileAndLine) {
  expectError("\n\n1 MENU { POPUP \"G\" { MENUITEM \"x\" 101 } }", "3", "expected ',' and a command id");
  expectError("1 RCDATA { 1, 2", "1", "found end of file");
  expectError("1 RCDATA { 70000 }", "1", "does not fit 16 bits");
  expectError("STRINGTABLE { 1, \"a }", "1", "unterminated string");
  expectError("STRINGTABLE { 1, \"\\q\" }", "1", "unknown escape");
  expectError("1 RCDATA { 1 }\n1 RCDATA { 2 }", "2", "defined twice");
  expectError("X BITMAP \"missing.bmp\"", "1", "cannot read \"missing.bmp\"");
  expectError("1 DIALOG 0, 0, 10\n{ }", "2", "expected ','");
  expectError("1 DIALOG 0, 0, 10, 10 { CONTROL \"a\", 1, \"STATIC\", 0, 1, 2, 3 }", "1", "coordinate");
  expectError("70000 RCDATA { 1 }", "1", "above 65535");
  expectError("0x12G RCDATA { 1 }", "1", "malformed number");
  expectError("@", "1", "unexpected character");
  expectError("STRINGTABLE { 1, \"\xFF\" }", "1", "not valid UTF-8");
}

TEST_F(Pkrc, RejectsBitmapsItCannotEmbed) {
  file("rle.bmp", bmp(8, 1));
  expectError("A BITMAP \"rle.bmp\"", "1", "compressed");
  file("deep.bmp", bmp(16, 0));
  expectError("A BITMAP \"deep.bmp\"", "1", "depth of 16 bits");
  std::string cut = bmp(24, 0, 4, 4);
  file("cut.bmp", cut.substr(0, cut.size() - 5));
  expectError("A BITMAP \"cut.bmp\"", "1", "truncated pixel data");
  file("text.bmp", "hello, not a picture at all; long enough to have a header......");
  expectError("A BITMAP \"text.bmp\"", "1", "not a BMP file");
  file("notwave.wav", "RIFF\4\0\0\0AVI ");
  expectError("A WAVE \"notwave.wav\"", "1", "not a RIFF WAVE");
}

TEST_F(Pkrc, RefusesABadSymbolAndAMissingScript) {
  Outcome r = compile("", "9bad");
  EXPECT_NE(r.status, 0);
  std::string cmd = pkrcProgram().string() + " '" + (dir / "none.rc").string() + "' '" + (dir / "o.cpp").string() +
                    "' sym 2>/dev/null";
  EXPECT_NE(std::system(cmd.c_str()), 0);
  EXPECT_FALSE(fs::exists(dir / "o.cpp"));
}

}  // namespace
