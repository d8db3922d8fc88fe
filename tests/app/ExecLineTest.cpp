// The report command's line split as desktop files split Exec: blanks, double quotes with their
// four escapes, and a clear refusal of what only a shell would understand.
#include "app/ExecLine.h"
#include "engine/Error.h"

#include <gtest/gtest.h>

namespace skedula {
namespace {

using Arguments = std::vector<std::string>;

TEST(ExecLine, SplitsAsDesktopFilesQuote) {
    struct Case {
        const char* line;
        Arguments arguments;
    };
    const Case cases[] = {
        {"mail -s Skedula funker@example.org", {"mail", "-s", "Skedula", "funker@example.org"}},
        {"  curl\t -sS  ", {"curl", "-sS"}},
        {R"("/opt/Mein Ordner/melden" "a b")", {"/opt/Mein Ordner/melden", "a b"}},
        {R"(x "" y)", {"x", "", "y"}},
        {R"(x --titel="Skedula Meldung")", {"x", "--titel=Skedula Meldung"}},
        {R"(x "a"b"c")", {"x", "abc"}},
        // The four escapes inside quotes; desktop files double the backslash once more.
        {R"(sh -c "echo \"\$SKEDULA_ZEIT\" \`date\` \\")",
         {"sh", "-c", "echo \"$SKEDULA_ZEIT\" `date` \\"}},
        {R"(x "it's; a|b&c<d>e*f?g#h(i)~j")", {"x", "it's; a|b&c<d>e*f?g#h(i)~j"}},
        // % is an ordinary character: no field codes, nothing doubled.
        {"x %f %% 50%", {"x", "%f", "%%", "50%"}},
        {"x Grüße=ä", {"x", "Grüße=ä"}},
        {"", {}},
        {"   ", {}},
        // The README's examples.
        {R"(curl -sS --fail -H "Title: Skedula" --data-binary @- "https://ntfy.sh/a-b")",
         {"curl", "-sS", "--fail", "-H", "Title: Skedula", "--data-binary", "@-",
          "https://ntfy.sh/a-b"}},
        {R"(sh -c "printf '%s %s\\n' \"\$SKEDULA_FREQUENZ\" \"\$SKEDULA_S1\" >> \"\$HOME/t.txt\"")",
         {"sh", "-c", R"(printf '%s %s\n' "$SKEDULA_FREQUENZ" "$SKEDULA_S1" >> "$HOME/t.txt")"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitExecLine(c.line), c.arguments) << c.line;
}

TEST(ExecLine, RefusesWhatOnlyAShellWouldReadAndNamesThePlace) {
    struct Case {
        const char* line;
        const char* message;
    };
    const Case cases[] = {
        {"mail -s 'Skedula' a@b", "Stelle 9: ' ist nur in doppelten Anführungszeichen erlaubt."},
        {"echo $SKEDULA_ZEIT", "Stelle 6: $ ist nur"},
        {"a | b", "Stelle 3: | ist nur"},
        {"curl https://x/?a=1", "Stelle 16: ? ist nur"},
        {"ä ~/bin/x", "Stelle 3: ~ ist nur"}, // characters, not bytes
        {R"(x a\ b)", "Stelle 4: \\ ist nur"},
        {R"(x "$HOME")", "Stelle 4: $ muss in doppelten Anführungszeichen als \\$ stehen."},
        {R"(x "`date`")", "Stelle 4: ` muss"},
        {R"(x "a\nb")", "Stelle 5: In doppelten Anführungszeichen steht \\ nur vor"},
        {R"(x "a\)", "Stelle 5: In doppelten"},
        {R"(x "offen)", "Das Anführungszeichen an Stelle 3 wird nicht geschlossen."},
    };
    for (const Case& c : cases) {
        try {
            SplitExecLine(c.line);
            ADD_FAILURE() << c.line << " was split";
        } catch (const Error& e) {
            EXPECT_TRUE(std::string(e.what()).starts_with(c.message)) << c.line << ": " << e.what();
        }
    }
}

TEST(ExecLine, ABlankLineIsNoCommandAndAnEmptyProgramIsAFault) {
    EXPECT_EQ(CommandArguments(" \t"), std::nullopt);
    EXPECT_EQ(CommandArguments(R"("x y" z)"), (Arguments{"x y", "z"}));
    EXPECT_THROW(CommandArguments(R"("" z)"), Error);
}

} // namespace
} // namespace skedula
