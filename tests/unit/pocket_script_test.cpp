#include <gtest/gtest.h>

#include <sstream>

#include <headless/script.h>

using pk::script::Command;
using pk::script::Op;
using pk::script::Token;

namespace {

std::vector<Token> tokens(std::string_view line) {
  std::vector<Token> out;
  std::string error = pk::script::tokenize(line, out);
  EXPECT_EQ(error, "") << line;
  return out;
}

std::string tokenError(std::string_view line) {
  std::vector<Token> out;
  return pk::script::tokenize(line, out);
}

Command command(std::string_view line) {
  pk::script::Parsed p = pk::script::parseLine(line, 1);
  EXPECT_EQ(p.error, "") << line;
  EXPECT_TRUE(p.command.has_value()) << line;
  return p.command.value_or(Command{});
}

std::string commandError(std::string_view line, int lineNumber = 1) {
  pk::script::Parsed p = pk::script::parseLine(line, lineNumber);
  EXPECT_FALSE(p.command.has_value()) << line;
  return p.error;
}

}  // namespace

TEST(ScriptTokens, NumbersWordsTextsAndIds) {
  auto t = tokens("  send\t0x10 -5  \"a b\" #1061 0XfF word");
  ASSERT_EQ(t.size(), 7u);
  EXPECT_EQ(t[0].kind, Token::Kind::Word);
  EXPECT_EQ(t[0].text, "send");
  EXPECT_EQ(t[1].kind, Token::Kind::Number);
  EXPECT_EQ(t[1].number, 16);
  EXPECT_EQ(t[2].number, -5);
  EXPECT_EQ(t[3].kind, Token::Kind::Text);
  EXPECT_EQ(t[3].text, "a b");
  EXPECT_EQ(t[4].kind, Token::Kind::Id);
  EXPECT_EQ(t[4].number, 1061);
  EXPECT_EQ(t[5].kind, Token::Kind::Number);
  EXPECT_EQ(t[5].number, 255);
  EXPECT_EQ(t[6].kind, Token::Kind::Word);
}

TEST(ScriptTokens, HashIsACommentUnlessADigitFollows) {
  EXPECT_TRUE(tokens("# a comment line").empty());
  EXPECT_TRUE(tokens("   #").empty());
  auto t = tokens("tap 1 2 # tap the corner");
  ASSERT_EQ(t.size(), 3u);
  t = tokens("click #5 #and a comment");
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[1].kind, Token::Kind::Id);
  // Inside quotes it is text, and a comment may follow a quote directly.
  t = tokens("click \"#1 \\\"x\\\" \\\\\"# done");
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[1].text, "#1 \"x\" \\");
}

TEST(ScriptTokens, QuotedTextKeepsSpacesAndMayBeEmpty) {
  auto t = tokens("menu \"Game\"  \"  New Game \" \"\"");
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[2].text, "  New Game ");
  EXPECT_EQ(t[3].kind, Token::Kind::Text);
  EXPECT_EQ(t[3].text, "");
}

TEST(ScriptTokens, MalformedLinesAreErrors) {
  EXPECT_NE(tokenError("click \"OK"), "");
  EXPECT_NE(tokenError("click \"OK\"x"), "");
  EXPECT_NE(tokenError("tap 12a 3"), "");
  EXPECT_NE(tokenError("tap 0x 3"), "");
  EXPECT_NE(tokenError("tap 0xZZ 3"), "");
  EXPECT_NE(tokenError("click #12x"), "");
  EXPECT_NE(tokenError("tap 99999999999999999999 1"), "");
  EXPECT_NE(tokenError("say hel\"lo"), "");
}

TEST(ScriptCommands, DeviceAndRandomAndStart) {
  Command c = command("device 480 640 4 192");
  EXPECT_EQ(c.op, Op::Device);
  EXPECT_EQ(c.values, (std::vector<int64_t>{480, 640, 4, 192}));
  c = command("random 5 0x10 4294967295");
  EXPECT_EQ(c.op, Op::Random);
  EXPECT_EQ(c.values, (std::vector<int64_t>{5, 16, 4294967295ll}));
  EXPECT_EQ(command("START").op, Op::Start);

  EXPECT_NE(commandError("device 240 320 16"), "");
  EXPECT_NE(commandError("device 240 320 3 96"), "");   // no 3-bit displays
  EXPECT_NE(commandError("device 0 320 16 96"), "");
  EXPECT_NE(commandError("random"), "");
  EXPECT_NE(commandError("random -1"), "");
  EXPECT_NE(commandError("random 4294967296"), "");
  EXPECT_NE(commandError("start now"), "");
}

TEST(ScriptCommands, InputCommands) {
  Command c = command("tap 10 0x20");
  EXPECT_EQ(c.op, Op::Tap);
  EXPECT_EQ(c.values, (std::vector<int64_t>{10, 32}));
  c = command("menu \"Game\" \"New Game\"");
  EXPECT_EQ(c.op, Op::Menu);
  EXPECT_EQ(c.texts, (std::vector<std::string>{"Game", "New Game"}));
  c = command("toolbar 106");
  EXPECT_EQ(c.values, (std::vector<int64_t>{106}));
  EXPECT_EQ(command("ok").op, Op::Ok);
  EXPECT_EQ(command("key escape").key, pk::script::Key::Escape);
  EXPECT_EQ(command("key Enter").key, pk::script::Key::Enter);
  EXPECT_EQ(command("key f1").key, pk::script::Key::F1);

  c = command("click \"New Game\"");
  EXPECT_EQ(c.op, Op::Click);
  EXPECT_FALSE(c.id.has_value());
  EXPECT_EQ(c.texts, (std::vector<std::string>{"New Game"}));
  c = command("click #1001");
  EXPECT_EQ(c.id, 1001);
  EXPECT_TRUE(c.texts.empty());

  c = command("check #1041 on");
  EXPECT_EQ(c.op, Op::Check);
  EXPECT_EQ(c.id, 1041);
  EXPECT_TRUE(c.on);
  EXPECT_FALSE(command("check #1041 OFF").on);
  c = command("select #1045 3");
  EXPECT_EQ(c.id, 1045);
  EXPECT_EQ(c.values, (std::vector<int64_t>{3}));

  EXPECT_NE(commandError("tap 10"), "");
  EXPECT_NE(commandError("tap \"10\" 20"), "");
  EXPECT_NE(commandError("menu Game \"New Game\""), "");  // texts must be quoted
  EXPECT_NE(commandError("key space"), "");
  EXPECT_NE(commandError("click OK"), "");
  EXPECT_NE(commandError("click 1001"), "");
  EXPECT_NE(commandError("check #1041 yes"), "");
  EXPECT_NE(commandError("check 1041 on"), "");
  EXPECT_NE(commandError("select #1045"), "");
  EXPECT_NE(commandError("click #70000"), "");
}

TEST(ScriptCommands, SendTakesNumbersOrMessageNames) {
  Command c = command("send 0x111 106 0");
  EXPECT_EQ(c.op, Op::Send);
  EXPECT_EQ(c.values, (std::vector<int64_t>{0x111, 106, 0}));
  c = command("send WM_COMMAND 0x10000 -1");
  EXPECT_EQ(c.values, (std::vector<int64_t>{0x111, 0x10000, -1}));
  EXPECT_EQ(command("send wm_user 0 0").values[0], 0x400);
  EXPECT_NE(commandError("send WM_NOTHING 0 0"), "");
  EXPECT_NE(commandError("send 0x10000 0 0"), "");
  EXPECT_NE(commandError("send 0x10 0"), "");
}

TEST(ScriptCommands, FilesAndHousekeeping) {
  Command c = command("screenshot /tmp/a.png");
  EXPECT_EQ(c.op, Op::Screenshot);
  EXPECT_EQ(c.texts, (std::vector<std::string>{"/tmp/a.png"}));
  c = command("copy \\Windows\\Fizzorbs.dat \"/tmp/my state.dat\"");
  EXPECT_EQ(c.op, Op::Copy);
  EXPECT_EQ(c.texts, (std::vector<std::string>{"\\Windows\\Fizzorbs.dat", "/tmp/my state.dat"}));
  EXPECT_EQ(command("dump").op, Op::Dump);
  EXPECT_EQ(command("close").op, Op::Close);
  c = command("wait 250");
  EXPECT_EQ(c.op, Op::Wait);
  EXPECT_EQ(c.values, (std::vector<int64_t>{250}));

  EXPECT_NE(commandError("screenshot"), "");
  EXPECT_NE(commandError("screenshot \"\""), "");
  EXPECT_NE(commandError("copy a"), "");
  EXPECT_NE(commandError("wait -1"), "");
  EXPECT_NE(commandError("dump all"), "");
}

TEST(ScriptCommands, ErrorsNameTheLineAndTheProblem) {
  std::string e = commandError("fly 1 2", 17);
  EXPECT_NE(e.find("line 17"), std::string::npos) << e;
  EXPECT_NE(e.find("fly"), std::string::npos) << e;
  e = commandError("\"tap\" 1 2", 3);
  EXPECT_NE(e.find("line 3"), std::string::npos) << e;
  e = commandError("click \"OK", 9);
  EXPECT_NE(e.find("line 9"), std::string::npos) << e;
  EXPECT_NE(e.find("unterminated"), std::string::npos) << e;
}

TEST(ScriptReader, SkipsBlankAndCommentLinesAndCountsEveryLine) {
  std::istringstream in("# setup\n\ndevice 240 320 16 96\r\n   \nstart\n  # go\ntap 5 6\n");
  pk::script::Reader r(in);
  std::string error;
  auto c = r.next(error);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->op, Op::Device);
  EXPECT_EQ(c->line, 3);
  c = r.next(error);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->op, Op::Start);
  EXPECT_EQ(c->line, 5);
  c = r.next(error);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->op, Op::Tap);
  EXPECT_EQ(c->line, 7);
  EXPECT_FALSE(r.next(error));
  EXPECT_EQ(error, "");
}

TEST(ScriptReader, StopsAtABadLineWithItsNumber) {
  std::istringstream in("start\n\njump 1\ntap 1 1\n");
  pk::script::Reader r(in);
  std::string error;
  ASSERT_TRUE(r.next(error));
  EXPECT_FALSE(r.next(error));
  EXPECT_NE(error.find("line 3"), std::string::npos) << error;
  EXPECT_NE(error.find("jump"), std::string::npos) << error;
}

TEST(ScriptReader, LastLineWithoutNewlineCounts) {
  std::istringstream in("start\nclose");
  pk::script::Reader r(in);
  std::string error;
  ASSERT_TRUE(r.next(error));
  auto c = r.next(error);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->op, Op::Close);
}
