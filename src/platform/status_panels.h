#pragma once

#include <QHash>
#include <QWidget>

class QLabel;

namespace pimoko {

// The status bar: sunken text panels of fixed widths side by side.
class StatusPanels : public QWidget {
    Q_OBJECT
public:
    StatusPanels(std::initializer_list<int> widths, QWidget* parent = nullptr);

    // An empty text shows the panel's lasting text, if it has one.
    void setText(int panel, const QString& text);
    QString text(int panel) const;
    // A text the panel shows now and whenever it is given no other.
    void setLastingText(int panel, const QString& text);

private:
    QList<QLabel*> panels_;
    QHash<int, QString> lasting_;
};

} // namespace pimoko
