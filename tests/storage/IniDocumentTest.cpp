#include "storage/IniDocument.h"

#include <gtest/gtest.h>

namespace skedula {
namespace {

// A file as a listener might have edited it: comments, blanks around names, a group we do
// not know, a repeated key, CR LF line ends and a byte order mark.
const std::string HandEdited = "\xEF\xBB\xBF; Skedula\r\n"
                               "[Radio]\r\n"
                               "  Program = hamlib  \r\n"
                               "# my IC-7300\r\n"
                               "Model=3073\r\n"
                               "Model=3085\r\n"
                               "Device=\r\n"
                               "junk without equals\r\n"
                               "\r\n"
                               "[Other]\r\n"
                               "Model=9\r\n";

TEST(IniDocument, ReadsValuesAsTheUserWroteThem) {
    const IniDocument document(HandEdited);
    struct Case {
        const char* group;
        const char* key;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {"Radio", "Program", "hamlib"},
        {"Radio", "Model", "3085"}, // the last one counts
        {"Radio", "Device", ""},
        {"Other", "Model", "9"},
        {"Radio", "model", std::nullopt},
        {"Radio", "Port", std::nullopt},
        {"Watch", "Program", std::nullopt},
        {"", "Program", std::nullopt},
        {"Radio", "junk without equals", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(document.Value(c.group, c.key), c.value) << c.group << " " << c.key;
    EXPECT_TRUE(document.HasGroup("Other"));
    EXPECT_FALSE(document.HasGroup("Watch"));
}

TEST(IniDocument, UnchangedItWritesTheFileAsItWas) {
    EXPECT_EQ(IniDocument(HandEdited).Text(), HandEdited);
    EXPECT_EQ(IniDocument("a=1\n\n").Text(), "a=1\n\n");
    EXPECT_EQ(IniDocument("").Text(), "");
}

TEST(IniDocument, SettingAValueRewritesOnlyItsLine) {
    IniDocument document(HandEdited);
    document.SetValue("Radio", "Model", "1");   // the line that is read
    document.SetValue("Radio", "Port", "4533"); // new: after the group's last key
    document.SetValue("Watch", "LastList", "/home/me/liste.txt");
    document.SetValue("Radio", "Device", "/dev/ttyUSB0\nq"); // one line
    EXPECT_EQ(document.Text(), "\xEF\xBB\xBF; Skedula\r\n"
                               "[Radio]\r\n"
                               "  Program = hamlib  \r\n"
                               "# my IC-7300\r\n"
                               "Model=3073\r\n"
                               "Model=1\r\n"
                               "Device=/dev/ttyUSB0 q\r\n"
                               "Port=4533\r\n"
                               "junk without equals\r\n"
                               "\r\n"
                               "[Other]\r\n"
                               "Model=9\r\n"
                               "\r\n"
                               "[Watch]\r\n"
                               "LastList=/home/me/liste.txt\r\n");
    EXPECT_EQ(IniDocument(document.Text()).Value("Radio", "Model"), "1");
}

TEST(IniDocument, AGroupLineMayEndInAComment) {
    IniDocument document("[Radio] ; mein Funkger\xC3\xA4t\nProgram=hamlib\n"
                         "[Watch]# nachts\nLastList=/a.txt\n");
    EXPECT_EQ(document.Value("Radio", "Program"), "hamlib");
    EXPECT_EQ(document.Value("Watch", "LastList"), "/a.txt");
    document.SetValue("Radio", "Port", "4533");
    EXPECT_EQ(document.Text(), "[Radio] ; mein Funkger\xC3\xA4t\nProgram=hamlib\nPort=4533\n"
                               "[Watch]# nachts\nLastList=/a.txt\n");
}

// What is written is read back as it was, and a value in quotes by hand is read without them.
TEST(IniDocument, AValueKeepsItsBlanksAndQuotesThroughWritingAndReading) {
    const std::pair<std::string, std::string> values[] = {
        {"/home/me/Liste ", "\"/home/me/Liste \""},
        {"\ta\t", "\"\ta\t\""},
        {"  ", "\"  \""},
        {"\"quoted\"", "\"\"quoted\"\""},
        {"\"", "\""},
        {"\"half", "\"half"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"", ""},
    };
    for (const auto& [value, written] : values) {
        IniDocument document;
        document.SetValue("Watch", "LastList", value);
        EXPECT_EQ(document.Text(), "[Watch]\nLastList=" + written + "\n") << value;
        EXPECT_EQ(IniDocument(document.Text()).Value("Watch", "LastList"), value) << value;
    }
    const IniDocument byHand("[Radio]\nDevice = \" /dev/tty S0 \" \nHost=\"\"\n");
    EXPECT_EQ(byHand.Value("Radio", "Device"), " /dev/tty S0 ");
    EXPECT_EQ(byHand.Value("Radio", "Host"), "");
    EXPECT_EQ(byHand.WrittenValue("Radio", "Device"), "\" /dev/tty S0 \"");
}

} // namespace
} // namespace skedula
