// The device's screen and folders, and how device paths reach the host's files.
#include <gtest/gtest.h>

#include "pocket_files_tempdevice.h"

namespace fs = std::filesystem;

namespace {

TEST(Device, SetUpGivesAWhiteScreenAndTheWindowsFolder) {
  test::TempDevice dev;
  const pk::Device& d = pk::device();
  EXPECT_EQ(d.host, &dev.host);
  EXPECT_EQ(d.screen.width, 240);
  EXPECT_EQ(d.screen.height, 320);
  ASSERT_EQ(d.screen.pixels.size(), 240u * 320u);
  for (uint32_t p : d.screen.pixels) ASSERT_EQ(p, 0xFFFFFFu);
  EXPECT_TRUE(fs::is_directory(dev.root / "Windows"));
}

TEST(Device, AnExistingWindowsFolderOfAnotherCaseIsKept) {
  fs::path root = test::freshRoot();
  fs::create_directories(root / "WINDOWS");
  test::FakeHost host;
  pk::DeviceConfig config;
  config.root = root;
  pk::setUpDevice(host, config, nullptr);
  EXPECT_FALSE(fs::exists(root / "Windows"));
  EXPECT_EQ(pk::hostPath(u"\\Windows\\Fizzorbs.dat"), root / "WINDOWS" / "Fizzorbs.dat");
  fs::remove_all(root);
  pk::device().host = nullptr;
}

TEST(Device, ShippedFilesAreCopiedOnlyWhenMissing) {
  fs::path shipped = pk::shippedDeviceFiles();
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(shipped, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_regular_file()) files.push_back(it->path().filename());
  if (files.empty()) GTEST_SKIP() << "nothing ships in " << shipped;
  fs::path root = test::freshRoot();
  fs::create_directories(root / "Windows");
  // The user's own copy of the first file stays as it is.
  std::ofstream(root / "Windows" / files[0]) << "mine";
  test::FakeHost host;
  pk::DeviceConfig config;
  config.root = root;
  pk::setUpDevice(host, config, nullptr);
  std::ifstream in(root / "Windows" / files[0]);
  std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(kept, "mine");
  for (size_t i = 1; i < files.size(); ++i)
    EXPECT_EQ(fs::file_size(root / "Windows" / files[i]), fs::file_size(shipped / files[i])) << files[i];
  fs::remove_all(root);
  pk::device().host = nullptr;
}

TEST(Device, PathsMapBelowTheRootWithoutRegardToCase) {
  test::TempDevice dev;
  dev.write("Windows/Critical.wav", "x");
  EXPECT_EQ(pk::hostPath(u"\\Windows\\Fizzorbs.dat"), dev.root / "Windows" / "Fizzorbs.dat");
  EXPECT_EQ(pk::hostPath(u"\\windows\\critical.WAV"), dev.root / "Windows" / "Critical.wav");
  EXPECT_EQ(pk::hostPath(u"\\WINDOWS\\\\.\\Critical.wav"), dev.root / "Windows" / "Critical.wav");
  EXPECT_EQ(pk::hostPath(u"\\"), dev.root);
  // No current folder on the device: a bare name is taken from the root.
  EXPECT_EQ(pk::hostPath(u"notes.txt"), dev.root / "notes.txt");
  EXPECT_EQ(pk::hostPath(u"\\Windows\\Grüße.txt"), dev.root / "Windows" / fs::u8path("Grüße.txt"));
}

TEST(Device, PathsThatLeaveTheRootOrAreEmptyMapToNothing) {
  test::TempDevice dev;
  EXPECT_TRUE(pk::hostPath(u"").empty());
  EXPECT_TRUE(pk::hostPath(u"\\..\\etc\\passwd").empty());
  EXPECT_TRUE(pk::hostPath(u"\\Windows\\..\\..\\x").empty());
  EXPECT_TRUE(pk::hostPath(u"\\Windows/../x").empty());
  EXPECT_TRUE(pk::hostPath(std::u16string(u"\\a\0b", 4)).empty());
}

TEST(Device, Utf8AndUtf16RoundTripAndRepairBadInput) {
  std::u16string text = u"Fizzorbs é € \U0001F600";
  EXPECT_EQ(pk::utf16(pk::utf8(text)), text);
  EXPECT_EQ(pk::utf8(u"é"), "\xC3\xA9");
  EXPECT_EQ(pk::utf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(pk::utf16("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(pk::utf16("\xC3"), u"\uFFFD");
  EXPECT_EQ(pk::utf16("\xC0\x80"), u"\uFFFD");  // overlong
}

}  // namespace
