#include "base/ReportLine.h"

#include <gtest/gtest.h>

namespace quorrel {
namespace {

// Only a warning carries a mark in front of its text; the other lines show
// as they are, so a front end that reads the severity shows what the core said.
TEST(ReportLine, RendersTheWarningMarkAndNothingElse) {
    EXPECT_EQ(ReportLine::Warning("类Order：“order”是MySQL保留字").Rendered(), "警告：类Order：“order”是MySQL保留字");
    EXPECT_EQ(ReportLine::Progress("移动资源文件完毕!").Rendered(), "移动资源文件完毕!");
    EXPECT_EQ(ReportLine::Error("代码生成失败：磁盘已满").Rendered(), "代码生成失败：磁盘已满");
    EXPECT_EQ(ReportLine::Warning("x").severity, Severity::Warning);
    EXPECT_EQ(ReportLine::Error("x").severity, Severity::Error);
}

} // namespace
} // namespace quorrel
