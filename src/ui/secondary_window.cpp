#include "ui/secondary_window.h"

namespace korvanne {

SecondaryWindow::SecondaryWindow(const QString& objectName, const QString& caption, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(objectName);
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_QuitOnClose, false);
}

}  // namespace korvanne
