#include "ui/DiffHighlighter.h"

#include <QTextCharFormat>

namespace quorrel {

const QColor DiffHighlighter::kAdded(0x00, 0x80, 0x00);
const QColor DiffHighlighter::kRemoved(0xC0, 0x00, 0x00);
const QColor DiffHighlighter::kHunk(0x00, 0x00, 0xC0);

DiffHighlighter::DiffHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}

void DiffHighlighter::highlightBlock(const QString& text) {
    QTextCharFormat format;
    if (text.startsWith(QStringLiteral("+++")) || text.startsWith(QStringLiteral("---"))) {
        format.setFontWeight(QFont::Bold);
    } else if (text.startsWith(QLatin1Char('+'))) {
        format.setForeground(kAdded);
        format.setBackground(QColor(0xE6, 0xFF, 0xE6));
    } else if (text.startsWith(QLatin1Char('-'))) {
        format.setForeground(kRemoved);
        format.setBackground(QColor(0xFF, 0xE6, 0xE6));
    } else if (text.startsWith(QStringLiteral("@@"))) {
        format.setForeground(kHunk);
    } else {
        return;
    }
    setFormat(0, static_cast<int>(text.size()), format);
}

} // namespace quorrel
