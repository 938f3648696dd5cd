// Resource lookup in the test module and the readers of the compiled layouts.
#include <gtest/gtest.h>

#include <cstring>

#include "pocket_files_tempdevice.h"
#include "resource.h"

namespace {

HINSTANCE module() { return pk::instanceOf(pkProgramModule); }

uint32_t le32(const void* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

TEST(Resource, FindsByNameWithoutCaseAndByNumber) {
  for (LPCWSTR name : {u"BMP_EIGHT", u"bmp_eight", u"Bmp_Eight"}) {
    HRSRC r = FindResourceW(module(), name, RT_BITMAP);
    ASSERT_NE(r, nullptr) << pk::utf8(name);
    EXPECT_EQ(SizeofResource(module(), r), 40u + 5 * 4 + 3 * 4);
  }
  // The script wrote the name in lower case; it is stored in upper case.
  HRSRC byNumber = FindResourceW(module(), MAKEINTRESOURCEW(300), RT_BITMAP);
  HRSRC byHash = FindResourceW(module(), u"#300", RT_BITMAP);
  ASSERT_NE(byNumber, nullptr);
  EXPECT_EQ(byNumber, byHash);
  EXPECT_EQ(FindResourceW(module(), u"wav_beep", u"wave"), FindResourceW(module(), u"WAV_BEEP", u"WAVE"));
  EXPECT_NE(FindResourceW(module(), u"wav_beep", u"wave"), nullptr);
}

TEST(Resource, MissesAreNullAndNeverConfuseNamesWithNumbers) {
  EXPECT_EQ(FindResourceW(module(), u"BMP_NONE", RT_BITMAP), nullptr);
  EXPECT_EQ(FindResourceW(module(), u"BMP_EIGHT", RT_DIALOG), nullptr);
  EXPECT_EQ(FindResourceW(module(), u"300", RT_BITMAP), nullptr);
  EXPECT_EQ(FindResourceW(module(), u"#", RT_BITMAP), nullptr);
  EXPECT_EQ(FindResourceW(module(), u"#300x", RT_BITMAP), nullptr);
  EXPECT_EQ(FindResourceW(module(), MAKEINTRESOURCEW(301), RT_BITMAP), nullptr);
  EXPECT_EQ(FindResourceW(module(), u"BMP_EIGHT", nullptr), nullptr);
  // Null and the common controls' pseudo-module hold nothing.
  EXPECT_EQ(FindResourceW(nullptr, u"BMP_EIGHT", RT_BITMAP), nullptr);
  EXPECT_EQ(FindResourceW(reinterpret_cast<HMODULE>(intptr_t(-1)), u"BMP_EIGHT", RT_BITMAP), nullptr);
  int notAModule = 0;
  EXPECT_EQ(pk::moduleOf(reinterpret_cast<HINSTANCE>(&notAModule)), nullptr);
  EXPECT_EQ(LoadResource(module(), nullptr), nullptr);
  EXPECT_EQ(LoadResource(module(), reinterpret_cast<HRSRC>(&notAModule)), nullptr);
  EXPECT_EQ(SizeofResource(module(), reinterpret_cast<HRSRC>(&notAModule)), 0u);
}

TEST(Resource, BitmapsAreDibsWithoutTheFileHeader) {
  struct Case {
    const char16_t* name;
    int width, height, bits, colours;
    std::vector<unsigned char> pixels;
  } cases[] = {
      {u"BMP_MONO", 9, 2, 1, 2, {0x00, 0x80, 0, 0, 0xAA, 0x80, 0, 0}},
      {u"BMP_FOUR", 3, 2, 4, 4, {0x32, 0x10, 0, 0, 0x12, 0x30, 0, 0}},
      {u"BMP_EIGHT", 3, 3, 8, 5, {1, 1, 1, 0, 3, 4, 0, 0, 0, 1, 2, 0}},
      {u"BMP_TRUE", 2, 2, 24, 0, {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(pk::utf8(c.name));
    HRSRC r = FindResourceW(module(), c.name, RT_BITMAP);
    ASSERT_NE(r, nullptr);
    auto p = static_cast<const unsigned char*>(LockResource(LoadResource(module(), r)));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(le32(p), 40u);
    EXPECT_EQ(int32_t(le32(p + 4)), c.width);
    EXPECT_EQ(int32_t(le32(p + 8)), c.height);
    EXPECT_EQ(p[14], c.bits);
    EXPECT_EQ(int(le32(p + 32)), c.colours);
    size_t pixelsAt = 40 + size_t(c.colours) * 4;
    ASSERT_EQ(SizeofResource(module(), r), pixelsAt + c.pixels.size());
    EXPECT_EQ(std::vector<unsigned char>(p + pixelsAt, p + pixelsAt + c.pixels.size()), c.pixels);
  }
  // Colour table of the 4-bit picture: black, red, green, blue as B, G, R, 0.
  auto four = pk::findResourceData(module(), u"BMP_FOUR", RT_BITMAP);
  ASSERT_TRUE(four);
  EXPECT_EQ(le32(four->data + 40 + 4), 0x00FF0000u);
  EXPECT_EQ(le32(four->data + 40 + 12), 0x000000FFu);
}

TEST(Resource, WaveIsTheWholeRiffFile) {
  auto d = pk::findResourceData(module(), u"wav_beep", u"WAVE");
  ASSERT_TRUE(d);
  ASSERT_EQ(d->size, 44u + 80u);
  EXPECT_EQ(std::memcmp(d->data, "RIFF", 4), 0);
  EXPECT_EQ(le32(d->data + 4), 124u - 8u);
}

TEST(Resource, StringsAndRcData) {
  EXPECT_EQ(pk::loadString(module(), 113), u"Game");
  EXPECT_EQ(pk::loadString(module(), 115), u"Info");
  EXPECT_EQ(pk::loadString(module(), 118), u"Undo Move");
  EXPECT_EQ(pk::loadString(module(), 120), u"Grüße \"quoted\"");
  EXPECT_FALSE(pk::loadString(module(), 114));
  EXPECT_FALSE(pk::loadString(nullptr, 113));

  auto d = pk::findResourceData(module(), MAKEINTRESOURCEW(116), RT_RCDATA);
  ASSERT_TRUE(d);
  ASSERT_EQ(d->size, 32u);
  const uint16_t want[16] = {100, 2, 0xFFFE, 112, 4, 0x18, 113, 0, 0, 0xFFFE, 114, 4, 0x18, 115, 0, 1};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(d->data[2 * i] | (d->data[2 * i + 1] << 8), want[i]) << "word " << i;
}

TEST(Resource, MenuKeepsPopupsItemsSeparatorsAndGrayed) {
  auto menu = pk::loadMenu(module(), 100);
  ASSERT_TRUE(menu);
  ASSERT_EQ(menu->size(), 2u);
  const pk::MenuItem& game = (*menu)[0];
  EXPECT_TRUE(game.isPopup);
  EXPECT_EQ(game.text, u"Game");
  ASSERT_EQ(game.popup.size(), 4u);
  EXPECT_EQ(game.popup[0].text, u"New Game");
  EXPECT_EQ(game.popup[0].id, 101);
  EXPECT_FALSE(game.popup[0].grayed);
  EXPECT_TRUE(game.popup[1].grayed);
  EXPECT_TRUE(game.popup[2].separator);
  EXPECT_EQ(game.popup[3].id, 104);
  const pk::MenuItem& info = (*menu)[1];
  EXPECT_EQ(info.text, u"Info");
  ASSERT_EQ(info.popup.size(), 3u);
  EXPECT_EQ(info.popup[2].text, u"About");
  EXPECT_EQ(info.popup[2].id, 103);
  EXPECT_FALSE(pk::loadMenu(module(), 101));
}

TEST(Resource, DialogTemplateRoundTrips) {
  HRSRC r = FindResourceW(module(), MAKEINTRESOURCEW(1000), RT_DIALOG);
  ASSERT_NE(r, nullptr);
  auto tmpl = static_cast<LPCDLGTEMPLATEW>(LockResource(LoadResource(module(), r)));
  auto t = pk::parseDialogTemplate(tmpl);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->style, 0x80C80000u);
  EXPECT_EQ(t->exStyle, 0x80000000u);
  EXPECT_EQ(t->cx, 136);
  EXPECT_EQ(t->cy, 83);
  EXPECT_EQ(t->title, u"Your Score");
  EXPECT_EQ(t->fontFace, u"Tahoma");
  EXPECT_EQ(t->fontPoints, 8);
  ASSERT_EQ(t->items.size(), 5u);
  EXPECT_EQ(t->items[0].text, u"BMP_EIGHT");  // a picture named without quotes
  EXPECT_EQ(t->items[0].id, -1);
  EXPECT_EQ(t->items[0].style, 0x5000000Eu);
  EXPECT_EQ(t->items[2].className, u"STATIC");
  EXPECT_EQ(t->items[2].text, u"0");
  EXPECT_EQ(t->items[2].id, 1002);
  EXPECT_EQ(t->items[3].className, u"COMBOBOX");
  EXPECT_EQ(t->items[3].cy, 60);
  EXPECT_EQ(t->items[4].style, 0x50010001u);
  EXPECT_EQ(t->items[4].x, 43);
  EXPECT_EQ(t->items[4].y, 95);
  EXPECT_EQ(t->items[4].text, u"New Game");
}

TEST(Resource, DialogReaderRejectsWhatIsNoTemplate) {
  EXPECT_FALSE(pk::parseDialogTemplate(nullptr));
  auto bitmap = pk::findResourceData(module(), u"BMP_EIGHT", RT_BITMAP);
  ASSERT_TRUE(bitmap);
  EXPECT_FALSE(pk::parseDialogTemplate(reinterpret_cast<LPCDLGTEMPLATEW>(bitmap->data)));
  // A length that cuts the body short must not be read past.
  auto d = pk::findResourceData(module(), MAKEINTRESOURCEW(1000), RT_DIALOG);
  ASSERT_TRUE(d);
  std::vector<unsigned char> cut(d->data, d->data + d->size);
  cut[4] = 40;
  cut[5] = cut[6] = cut[7] = 0;
  EXPECT_FALSE(pk::parseDialogTemplate(reinterpret_cast<LPCDLGTEMPLATEW>(cut.data())));
}

}  // namespace
