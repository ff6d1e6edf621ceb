#include "generators/TextEscape.h"

#include <gtest/gtest.h>

namespace quorrel {
namespace {

TEST(TextEscape, EachPlaceEscapesExactlyItsOwnCharacters) {
    const std::string hostile = "a\\b\"c$d'e<{$x}>&f*/g?>h\r\ni\nj";
    EXPECT_EQ(EscapePhpDoubleQuoted(hostile), "a\\\\b\\\"c\\$d'e<{\\$x}>&f*/g?>h\r\ni\nj");
    EXPECT_EQ(EscapePhpSingleQuoted(hostile), "a\\\\b\"c$d\\'e<{$x}>&f*/g?>h\r\ni\nj");
    EXPECT_EQ(EscapePhpComment(hostile), "a\\b\"c$d'e<{$x}>&f* /g? >h i j");
    EXPECT_EQ(EscapeHtml(hostile), "a\\b&quot;c$d'e&lt;{$x}&gt;&amp;f*/g?&gt;h\r\ni\nj");
    EXPECT_EQ(EscapeJsInHtmlAttribute("x\\'</a>\""), "x\\\\\\'&lt;/a&gt;&quot;");
    // "*/" split by the escape of a "?>" that shares no character with it.
    EXPECT_EQ(EscapePhpComment("**/?>>"), "** /? >>");
}

TEST(TextEscape, PlainTextIncludingMultibyteComesBackUnchanged) {
    const std::string plain = "新闻 标题_1 (English) 😀 עברית";
    for (auto escape : {EscapePhpDoubleQuoted, EscapePhpSingleQuoted, EscapePhpComment, EscapeHtml, EscapeJsInHtmlAttribute})
        EXPECT_EQ(escape(plain), plain);
}

} // namespace
} // namespace quorrel
