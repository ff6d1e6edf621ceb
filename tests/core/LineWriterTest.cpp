#include "generators/LineWriter.h"

#include "base/Error.h"

#include <gtest/gtest.h>

namespace quorrel {
namespace {

TEST(LineWriter, ValuesGoInOnceAndAreNeverReadAsPlaces) {
    TLineWriter w({{"lower", "{friend}"}, {"friend", "用户"}});
    w.Line("${lower}List = {friend};");
    w.Line("<{$css_root}>{ {lower}x} {1} {}", {{"lower", "u{"}});
    {
        const TLineWriter::Indent outer(w, "\t");
        w.Line("if ({x}) {", {{"x", "{x}"}});
        const TLineWriter::Indent inner(w, "  ");
        w.Line();
    }
    w.Piece("no end");
    EXPECT_EQ(w.Text(), "${friend}List = 用户;\r\n"
                        "<{$css_root}>{ u{x} {1} {}\r\n"
                        "\tif ({x}) {\r\n"
                        "\t  \r\n"
                        "no end");
    EXPECT_THROW(w.Line("{unknown}"), Error);
}

} // namespace
} // namespace quorrel
