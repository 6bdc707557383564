#include "app/view.h"

#include <QPainter>

namespace app {

void NamedView::paint(QPainter& painter, const ViewContext& context)
{
    painter.fillRect(context.area, Qt::white);
    painter.setPen(Qt::black);
    painter.setFont(ui::suiteFont(ui::FontRole::Bold24, context.screen));
    painter.drawText(context.area, Qt::AlignCenter | Qt::TextWordWrap, m_name);
}

} // namespace app
