// Cutting rigctld's byte stream into replies, whatever arrives and however it is split.
#include "link/rigctld/ReplyReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;
using skedula::rigctld::EchoName;
using skedula::rigctld::Reply;
using skedula::rigctld::ReplyReader;

namespace {

// A reply written as "echo|value|value|result".
std::string Show(const Reply& reply) {
    std::string shown = reply.echoName;
    for (const std::string& value : reply.values) {
        shown += "|" + value;
    }
    return shown + "|" + (reply.result == Reply::Broken ? "broken" : std::to_string(reply.result));
}

std::vector<std::string> FeedAll(ReplyReader& reader, const std::vector<std::string>& chunks) {
    std::vector<std::string> shown;
    for (const std::string& chunk : chunks) {
        for (const Reply& reply : reader.Feed(chunk)) {
            shown.push_back(Show(reply));
        }
    }
    return shown;
}

TEST(ReplyReader, CutsTheStreamIntoReplies) {
    struct Case {
        std::string name;
        std::vector<std::string> chunks;
        std::vector<std::string> replies;
    };
    const std::string freq = "get_freq:\nFrequency: 145000000\nRPRT 0\n";
    std::vector<std::string> byteByByte;
    for (char byte : freq) {
        byteByByte.emplace_back(1, byte);
    }
    const std::vector<Case> cases = {
        {"one reply", {freq}, {"get_freq|Frequency: 145000000|0"}},
        {"two in one read",
         {"get_mode:\nMode: FM\nPassband: 15000\nRPRT 0\nget_level: STRENGTH\n-12\nRPRT 0\n"},
         {"get_mode|Mode: FM|Passband: 15000|0", "get_level|-12|0"}},
        {"byte by byte", byteByByte, {"get_freq|Frequency: 145000000|0"}},
        {"split inside RPRT",
         {"get_freq:\nFrequency: 1\nRP", "RT -", "11\n"},
         {"get_freq|Frequency: 1|-11"}},
        {"CR LF line ends", {"set_freq: 7100000\r\nRPRT 0\r\n"}, {"set_freq|0"}},
        {"failure without values", {"get_level: FOO\nRPRT -1\n"}, {"get_level|-1"}},
        {"bare RPRT", {"RPRT 0\n"}, {"|0"}},
        {"unreadable RPRT", {"get_freq:\nRPRT zero\n"}, {"get_freq|broken"}},
        {"RPRT glued to its number", {"get_freq:\nRPRT0\n"}, {"get_freq|broken"}},
        {"echo cuts the reply before it",
         {"get_freq:\nFrequency: 1\nget_mode:\nMode: AM\nRPRT 0\n"},
         {"get_freq|Frequency: 1|broken", "get_mode|Mode: AM|0"}},
        {"garbage before a reply",
         {"hello there\n" + freq},
         {"|hello there|broken", "get_freq|Frequency: 145000000|0"}},
        {"empty lines between replies",
         {"\n\n" + freq + "\n"},
         {"get_freq|Frequency: 145000000|0"}},
        {"value lines that look like echoes are values",
         {"get_mode:\nMode: AM\nPassband: 6000\nRPRT 0\n"},
         {"get_mode|Mode: AM|Passband: 6000|0"}},
        // The ninth value line breaks the reply off; the RPRT after it stands alone.
        {"too many value lines",
         {"get_freq:\n1\n2\n3\n4\n5\n6\n7\n8\n9\nRPRT 0\n"},
         {"get_freq|1|2|3|4|5|6|7|8|9|broken", "|0"}},
        {"no line end yet", {"get_freq:\nFrequency: 1"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReplyReader reader;
        EXPECT_EQ(FeedAll(reader, c.chunks), c.replies);
    }
}

TEST(ReplyReader, DropsOverlongLinesAndStaysInStep) {
    ReplyReader reader;
    const std::string flood(ReplyReader::MaxLineLength + 10, 'x');
    EXPECT_TRUE(FeedAll(reader, {flood, flood, "tail\n"}).empty());
    EXPECT_EQ(FeedAll(reader, {"get_freq:\nFrequency: 5\nRPRT 0\n"}),
              (std::vector<std::string>{"get_freq|Frequency: 5|0"}));

    // An overlong line inside a reply breaks that reply off.
    EXPECT_EQ(FeedAll(reader, {"get_freq:\n", flood, "\nRPRT 0\n"}),
              (std::vector<std::string>{"get_freq|broken", "|0"}));
}

TEST(ReplyReader, ResetForgetsAReplyInProgress) {
    ReplyReader reader;
    EXPECT_TRUE(FeedAll(reader, {"get_freq:\nFreq"}).empty());
    reader.Reset();
    EXPECT_EQ(FeedAll(reader, {"get_mode:\nMode: AM\nRPRT 0\n"}),
              (std::vector<std::string>{"get_mode|Mode: AM|0"}));
}

TEST(ReplyReader, EchoNamesAreLowerCaseCommandNames) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"get_freq:", "get_freq"},
        {"set_mode: AM 0", "set_mode"},
        {"get_level: STRENGTH", "get_level"},
        {"get_level:\tSTRENGTH", "get_level"},
        {"Frequency: 1", ""},
        {"Mode: AM", ""},
        {"get_freq", ""},
        {":", ""},
        {"get_freq:x", ""},
        {"-12", ""},
        {"get-freq: 1", ""},
    };
    for (const auto& [line, name] : cases) {
        EXPECT_EQ(EchoName(line), name) << line;
    }
}

} // namespace
