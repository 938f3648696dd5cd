// The headless device's script reader: tokens, commands, and errors with line numbers.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include <script/script.h>

using pk::script::Command;
using pk::script::Op;
using pk::script::Token;

namespace {

// Each token as kind:value, so a line's whole reading compares at once.
std::vector<std::string> tokens(std::string_view line) {
  std::vector<Token> out;
  EXPECT_EQ(pk::script::tokenize(line, out), "") << line;
  std::vector<std::string> shown;
  for (const Token& t : out)
    shown.push_back("WNTI"[int(t.kind)] + (":" + (t.kind == Token::Kind::Word || t.kind == Token::Kind::Text
                                                       ? t.text : std::to_string(t.number))));
  return shown;
}

Command command(std::string_view line) {
  pk::script::Parsed p = pk::script::parseLine(line, 1);
  EXPECT_EQ(p.error, "") << line;
  return p.command.value_or(Command{});
}

TEST(Script, TokensNumbersHexQuotesAndComments) {
  EXPECT_EQ(tokens("  send\t0x10 -5  \"a b\" #1061 0XfF \"\" # a comment"),
            (std::vector<std::string>{"W:send", "N:16", "N:-5", "T:a b", "I:1061", "N:255", "T:"}));
  EXPECT_EQ(tokens("click #7"), (std::vector<std::string>{"W:click", "I:7"}));  // an id that ends the line
  // Inside quotes '#' is text and escapes work; a comment may follow a quote directly.
  EXPECT_EQ(tokens("click \"#1 \\\"x\\\" \\\\\"# done"), (std::vector<std::string>{"W:click", "T:#1 \"x\" \\"}));
  for (const char* bad : {"click \"OK", "click \"OK\"x", "tap 12a 3", "tap 0x 3", "tap 0xZZ 3", "click #12x",
                          "tap 99999999999999999999 1", "say hel\"lo"}) {
    std::vector<Token> out;
    EXPECT_NE(pk::script::tokenize(bad, out), "") << bad;
  }
}

TEST(Script, CommandsAndTheirArguments) {
  EXPECT_EQ(command("device 480 640 4 192").values, (std::vector<int64_t>{480, 640, 4, 192}));
  EXPECT_EQ(command("random 5 0x10 4294967295").values, (std::vector<int64_t>{5, 16, 4294967295ll}));
  EXPECT_EQ(command("send WM_COMMAND 0x10000 -1").values, (std::vector<int64_t>{0x111, 0x10000, -1}));
  for (const char* bad : {"device 240 320 3 96", "random -1", "random 4294967296", "start now", "tap 10",
                          "menu Game \"New Game\"", "key tab", "click OK", "check #1041 yes", "click #70000",
                          "send WM_NOTHING 0 0", "send 0x10000 0 0", "screenshot \"\"", "wait -1"}) {
    pk::script::Parsed p = pk::script::parseLine(bad, 17);
    EXPECT_FALSE(p.command.has_value()) << bad;
    EXPECT_NE(p.error.find("line 17"), std::string::npos) << bad << ": " << p.error;
  }
}

using Read = std::vector<std::pair<Op, int>>;

// Every command a script reader gives, with its line, and the error that stopped it.
std::pair<Read, std::string> readAll(std::string text) {
  std::unique_ptr<FILE, int (*)(FILE*)> in(fmemopen(text.data(), text.size(), "r"), fclose);
  pk::script::Reader r(in.get());
  std::pair<Read, std::string> out;
  while (auto c = r.next(out.second)) out.first.emplace_back(c->op, c->line);
  return out;
}

TEST(Script, ReaderCountsEveryLineAndStopsAtABadOne) {
  auto [read, error] = readAll("# setup\n\ndevice 240 320 16 96\r\n   \nstart\n  # go\njump 1\ntap 1 1");
  EXPECT_EQ(read, (Read{{Op::Device, 3}, {Op::Start, 5}}));
  EXPECT_NE(error.find("line 7"), std::string::npos) << error;
  EXPECT_NE(error.find("jump"), std::string::npos) << error;
  EXPECT_EQ(readAll("start\nclose").first, (Read{{Op::Start, 1}, {Op::Close, 2}}));  // no newline at the end
}

}  // namespace
