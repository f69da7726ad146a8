#pragma once
#include <QLabel>

// A one-line static text whose tab advances to a fixed column, so that lines such as
// "Name:\tvalue" and "Size:\tvalue" put their values one under the other.
class CKWTabbedLabel : public QLabel {
    Q_OBJECT
public:
    // The tab column is where `widestLead` and a space end.
    CKWTabbedLabel(const QString& widestLead, QWidget* parent = nullptr);

    qreal TabColumn() const { return m_tabColumn; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_tabColumn;
};
