#pragma once

#include <QWidget>

namespace korvanne {

// A window beside the main one. Closing it only hides it: it keeps its state and can be shown
// again; the program ends with the main window.
class SecondaryWindow : public QWidget {
    Q_OBJECT
public:
    SecondaryWindow(const QString& objectName, const QString& caption, QWidget* parent = nullptr);
};

}  // namespace korvanne
