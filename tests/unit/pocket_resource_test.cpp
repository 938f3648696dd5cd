// Resource lookup in the test module, and the resource compiler run as a program.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>

#include <pocket/resource_format.h>

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

// A module of its own, for the edges of numbers, handles and the depth of menus.
std::vector<unsigned char> nestedMenu(int depth, uint8_t cut = 0) {
  pk::resfmt::Writer w;
  w.beginBlock(pk::resfmt::kMenuMagic);
  for (int i = 0; i < depth; ++i) {
    w.u16(1);
    w.u16(pk::resfmt::kPopup);
    w.u32(uint32_t(i));
    w.text(u"P");
  }
  w.u16(0);
  w.endBlock();
  w.bytes[4] = uint8_t(w.bytes[4] - cut);
  return w.bytes;
}

TEST(Resource, NumbersAtTheirLimitsHandlesAndMenusAtTheirDepth) {
  static const std::vector<unsigned char> deep = nestedMenu(16), tooDeep = nestedMenu(17), cut = nestedMenu(1, 4);
  static const unsigned char text[] = {'O', 0, 'K', 0, '!', 0};  // a string of an odd size drops its last byte
  static const pk::ResourceEntry entries[] = {
      {{10, nullptr}, {0, "A9"}, text, 4},          {{10, nullptr}, {0, nullptr}, text, 4},
      {{10, nullptr}, {9, nullptr}, text, 4},       {{10, nullptr}, {0xFFFF, nullptr}, text, 4},
      {{4, nullptr}, {0xFFFF, nullptr}, deep.data(), uint32_t(deep.size())},
      {{4, nullptr}, {17, nullptr}, tooDeep.data(), uint32_t(tooDeep.size())},
      {{4, nullptr}, {18, nullptr}, cut.data(), uint32_t(cut.size())},
      {{6, nullptr}, {0xFFFF, nullptr}, text, 5},
      {{10, nullptr}, {1, nullptr}, text, 4},  // past the module's end
  };
  static const pk::ModuleImage image{"edges", entries, std::size(entries) - 1}, unknown{"unknown", entries, 1};
  HINSTANCE own = pk::instanceOf(image);
  auto find = [&](LPCWSTR name) {
    return reinterpret_cast<const pk::ResourceEntry*>(FindResourceW(own, name, RT_RCDATA));
  };
  for (auto [name, at] : {std::pair{u"a9", 0}, {u"#0", 1}, {u"#9", 2}, {u"#65535", 3}})
    EXPECT_EQ(find(name), &entries[at]) << at;
  // "#" alone is no number, and a number past 16 bits never wraps onto one that is.
  for (LPCWSTR miss : {u"#", u"#65536", u"#4295032831", u"#9a", u"B9", u"#1"})
    EXPECT_EQ(find(miss), nullptr) << pk::utf8(miss);
  EXPECT_EQ(find(nullptr), nullptr);
  HINSTANCE stranger = reinterpret_cast<HINSTANCE>(const_cast<pk::ModuleImage*>(&unknown));
  EXPECT_EQ(FindResourceW(stranger, u"a9", RT_RCDATA), nullptr);
  EXPECT_EQ(SizeofResource(own, FindResourceW(own, u"A9", RT_RCDATA)), 4u) << "the module's first entry";
  EXPECT_EQ(SizeofResource(own, reinterpret_cast<HRSRC>(const_cast<pk::ResourceEntry*>(&entries[8]))), 0u);
  EXPECT_EQ(pk::loadString(own, 0xFFFF), u"OK");
  auto menu = pk::loadMenu(own, 0xFFFF);
  ASSERT_TRUE(menu);
  const pk::MenuItem* item = &menu->at(0);
  for (int depth = 1; depth < 16; ++depth) item = &item->popup.at(0);
  EXPECT_TRUE(item->isPopup && item->popup.empty() && item->id == 15);
  // Too deep, its one item's text cut short, and a number past 16 bits, even where its low half names one.
  for (UINT id : {17, 18, 0x1FFFF}) EXPECT_FALSE(pk::loadMenu(own, id)) << id;
  EXPECT_FALSE(pk::loadString(own, 0x1FFFF));
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
