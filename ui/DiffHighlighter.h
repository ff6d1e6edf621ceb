#pragma once
#include <QSyntaxHighlighter>

namespace quorrel {

// Colours a unified diff: added lines green, removed lines red, the hunk
// lines blue and the two file names bold.
class DiffHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit DiffHighlighter(QTextDocument* document);

    static const QColor kAdded;
    static const QColor kRemoved;
    static const QColor kHunk;

protected:
    void highlightBlock(const QString& text) override;
};

} // namespace quorrel
