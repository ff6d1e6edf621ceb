#pragma once
#include <QLabel>
#include <QPixmap>

namespace quorrel {

// The banner at the top of the main window: the product's own picture,
// stretched to the width of the window, with a hand cursor; a click is
// reported through clicked().
class Banner : public QLabel {
    Q_OBJECT
public:
    static constexpr int kPictureWidth = 728;
    static constexpr int kPictureHeight = 90;

    explicit Banner(QWidget* parent = nullptr);

    // The banner picture, painted in code so that no binary is kept.
    static QPixmap Picture();

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace quorrel
