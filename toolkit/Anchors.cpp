#include "toolkit/Anchors.h"

#include <QEvent>
#include <QWidget>

namespace
{

// Moves one control as its parent's size changes; lives as long as the control.
class TAnchorKeeper : public QObject
{
public:
    TAnchorKeeper(QWidget* control, int anchors)
        : QObject(control)
        , m_control(control)
        , m_anchors(anchors)
        , m_bounds(control->geometry())
        , m_parentSize(control->parentWidget()->size())
    {
        control->parentWidget()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            Place();
        return false;
    }

private:
    // One axis: both anchors stretch, the far one alone moves, the near one alone (or none) keeps.
    static void Fit(int& start, int& length, int grown, bool nearAnchor, bool farAnchor)
    {
        if (nearAnchor && farAnchor)
            length += grown;
        else if (farAnchor)
            start += grown;
    }

    void Place()
    {
        const QSize size = m_control->parentWidget()->size();
        int left = m_bounds.left(), width = m_bounds.width(), top = m_bounds.top(), height = m_bounds.height();
        Fit(left, width, size.width() - m_parentSize.width(), m_anchors & akLeft, m_anchors & akRight);
        Fit(top, height, size.height() - m_parentSize.height(), m_anchors & akTop, m_anchors & akBottom);
        m_control->setGeometry(left, top, std::max(0, width), std::max(0, height));
    }

    QWidget* m_control;
    int m_anchors;
    QRect m_bounds;
    QSize m_parentSize;
};

} // namespace

void Anchor(QWidget* control, int anchors)
{
    new TAnchorKeeper(control, anchors);
}
