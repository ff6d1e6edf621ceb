#include "ui/AppFont.h"

#include <QApplication>
#include <QFont>

namespace quorrel {

void UseProgramFont() {
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(9);
    QApplication::setFont(font);
}

} // namespace quorrel
