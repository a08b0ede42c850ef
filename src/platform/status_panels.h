#pragma once

#include <QWidget>

class QLabel;

namespace pimoko {

// The status bar: sunken text panels of fixed widths side by side.
class StatusPanels : public QWidget {
    Q_OBJECT
public:
    StatusPanels(std::initializer_list<int> widths, QWidget* parent = nullptr);

    void setText(int panel, const QString& text);
    QString text(int panel) const;

private:
    QList<QLabel*> panels_;
};

} // namespace pimoko
